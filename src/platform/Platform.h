#pragma once

#include <QString>
#include <memory>

class QWidget;

// The program's stand-ins for operating-system services. Each service is one small
// interface with a default implementation; tests put a recorder in its place.

enum class MsgIcon { None, Information, Question, Warning, Error };

// Buttons of a message box, and the button that closed it.
enum MsgButton : int {
    mbOK = 0x1,
    mbCancel = 0x2,
    mbYes = 0x4,
    mbNo = 0x8,
};
using MsgButtons = int;

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Shows a modal box; returns the button pressed (mbCancel or mbNo when the box
    // is closed otherwise, whichever it offers).
    virtual MsgButton Show(QWidget* owner, const QString& caption, const QString& text,
                           MsgIcon icon, MsgButtons buttons) = 0;
};

struct SaveDialogRequest {
    QString filter;           // "Excel(*.xls)|*.xls|text(*.txt)|*.txt"
    QString defaultExtension; // without the dot
    QString fileName;         // initial name
    int filterIndex = 1;      // 1-based, as offered
};
struct SaveDialogResult {
    bool accepted = false;
    QString fileName;
    int filterIndex = 1; // 1-based entry the user chose
};

struct OpenDialogRequest {
    QString filter;   // "Statements (*.csv *.ofx)|*.csv *.ofx|All files (*)|*"
    QString fileName; // initial
};
struct OpenDialogResult {
    bool accepted = false;
    QString fileName;
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual SaveDialogResult Save(QWidget* owner, const SaveDialogRequest& request) = 0;
    // Picks an existing file to read.
    virtual OpenDialogResult Open(QWidget* owner, const OpenDialogRequest& request) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Opens a web address, a mailto: address or a file with its default program.
    // Failures are not reported; the result says whether the request was handed on.
    virtual bool Open(const QString& target) = 0;
    virtual bool StartCalculator() = 0;
    virtual bool StartTextEditor() = 0;
};

// HTML Help: the commands of its entry point (caller, help file, command, data).
constexpr int HH_DISPLAY_TOPIC = 0x0000; // file "help.chm::/page.htm"
constexpr int HH_DISPLAY_TOC = 0x0001;
constexpr int HH_DISPLAY_INDEX = 0x0002; // data: the keyword, null-terminated 8-bit text
constexpr int HH_HELP_CONTEXT = 0x000F;  // data: the context number
constexpr int HH_CLOSE_ALL = 0x0012;     // no file
class IHtmlHelp {
public:
    virtual ~IHtmlHelp() = default;
    // A null file (close all) comes as a null string.
    virtual void HtmlHelpA(QWidget* caller, const QString& file, int command, qintptr data) = 0;
};

// The entry point in place of the HTML Help library's HtmlHelpA: the help file as
// null-terminated 8-bit text (or null), handed on to the HTML Help service in use. Its
// window result is always null here; callers ignore it.
using HtmlHelpEntry = QWidget* (*)(QWidget* caller, const char* file, quint32 command,
                                   quintptr data);
QWidget* HtmlHelpA(QWidget* caller, const char* file, quint32 command, quintptr data);
// What loading the help library yields: the entry point, or null where there is none.
HtmlHelpEntry LoadHtmlHelpA();

// The services in use. Setting one replaces it (tests install recorders) and returns
// the previous one to the caller.
IMessageBoxes& MessageBoxes();
std::unique_ptr<IMessageBoxes> SetMessageBoxes(std::unique_ptr<IMessageBoxes> impl);
IFileDialogs& FileDialogs();
std::unique_ptr<IFileDialogs> SetFileDialogs(std::unique_ptr<IFileDialogs> impl);
// The system's own save dialog, the default of FileDialogs().
std::unique_ptr<IFileDialogs> SystemFileDialogs();
IShell& Shell();
std::unique_ptr<IShell> SetShell(std::unique_ptr<IShell> impl);

IHtmlHelp& HtmlHelp();
std::unique_ptr<IHtmlHelp> SetHtmlHelp(std::unique_ptr<IHtmlHelp> impl);
// What the HTML Help service in place from the start serves requests with: the help
// window registers its maker here at start-up, and the service is made on the first
// request, when the application object exists. Until one is registered, requests go
// nowhere, as on a machine without the HTML Help library.
using HtmlHelpFactory = std::unique_ptr<IHtmlHelp> (*)();
void RegisterHtmlHelpImplementation(HtmlHelpFactory factory);

// Shorthands for a message box and the file dialogs through the current services. The
// box or dialog belongs to the owner's window, never to a part inside it.
MsgButton ShowMessage(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon,
                      MsgButtons buttons);
SaveDialogResult ShowSaveDialog(QWidget* owner, const SaveDialogRequest& request);
OpenDialogResult ShowOpenDialog(QWidget* owner, const OpenDialogRequest& request);
