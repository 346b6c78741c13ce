// TApplication: the program's application object. It owns the forms (the
// first one created is the main window), runs the message loop, turns a quit
// request into the loop's end once the running handler has returned, and is
// the one place where message boxes are shown and where an exception that
// escapes an event handler is reported to the user.
#pragma once

#include <windows.h>

// <windows.h> maps MessageBox to MessageBoxW; the member below keeps its own
// name, and the program calls the Win32 function as ::MessageBoxW.
#undef MessageBox

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TForm;

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The application's name: caption of the error box.
    std::wstring Title;

    // When false, Run does not show the main form (it stays created, hidden).
    bool ShowMainForm = true;

    // Test hook: when set, MessageBox calls it instead of showing a box.
    std::function<int(const std::wstring& text, const std::wstring& caption, unsigned flags)> OnMessageBox;

    // Constructs a form, creates its window (hidden) and runs its OnCreate
    // handler; an exception there is shown and creation goes on.
    template <class Form>
    Form& CreateForm() {
        auto form = std::make_unique<Form>(*this);
        Form& ref = *form;
        AdoptForm(std::move(form));
        return ref;
    }

    TForm* MainForm() const { return mainForm_; }

    // Shows the main form (unless ShowMainForm is false) and runs the message
    // loop until a quit request. Returns the exit code.
    int Run();

    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();

    // Quit request: the loop ends when control is back in it.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // A modal box with one OK button, owned by the active form.
    int MessageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);

    // The default error box: the message, with "." added when its last
    // character sorts after "." (unless it is 。！？), the title as caption,
    // the error icon.
    void ShowException(const std::exception& error);

    // Runs an event handler; an exception that escapes it is shown by
    // ShowException and goes no further.
    void Invoke(const std::function<void()>& handler);

private:
    void AdoptForm(std::unique_ptr<TForm> form);
    bool DispatchDialogKeys(MSG& msg);

    std::vector<std::unique_ptr<TForm>> forms_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};
