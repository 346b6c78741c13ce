#!/usr/bin/env bash
# zh-locale.sh DIR: builds the zh_CN.UTF-8 locale into DIR (when it is not
# there yet), for running Wine programs with LOCPATH=DIR LC_ALL=zh_CN.UTF-8,
# which gives them the ANSI code page 936.
set -eu
dir=$1
[ -f "$dir/zh_CN.UTF-8/LC_CTYPE" ] && exit 0
mkdir -p "$dir"
localedef -i zh_CN -f UTF-8 "$dir/zh_CN.UTF-8"
echo "locale ready: $dir/zh_CN.UTF-8"
