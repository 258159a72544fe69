// User-interface services: one window built from a control table, message
// boxes, control state, text boxes, the application pointer and the
// processing of pending events. Everything runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <string>

#include "platform/error.h"

namespace sondalink::platform::ui {

enum class ControlKind { Frame, Panel, Label, TextBox, OptionButton, CommandButton };

// Style bits of a control in the table.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStylePassword = 1u << 0,    // text box showing every character as "*"
  kStyleMultiLine = 1u << 1,   // text box
  kStyleReadOnly = 1u << 2,    // text box, locked
  kStyleScrollBars = 1u << 3,  // text box, horizontal and vertical
  kStyleDisabled = 1u << 4,    // initially disabled
  kStyleButtonFace = 1u << 5,  // initial background COLOR_BTNFACE (else COLOR_WINDOW)
};

struct TwipsRect {
  int left, top, width, height;
};

// One control. Ids are the window's own, non-zero; parent 0 is the window.
// A caption's "&" marks the access key of the letter after it.
struct ControlDef {
  int id;
  const char* name;
  ControlKind kind;
  int parent;
  const char* caption;
  TwipsRect rect;  // relative to the parent's client area
  unsigned style;
};

// The window: its caption, client size in twips and its controls in tab order.
struct FormDef {
  const char* caption;
  int clientWidth, clientHeight;
  const ControlDef* controls;
  size_t count;
};

enum class Event { Click, GotFocus };

// Close reasons as the window's close request reports them.
enum CloseReason { kCloseByUser = 0, kCloseByProgram = 1, kCloseByWindows = 2, kCloseByTaskManager = 3 };

struct FormHandlers {
  // Runs once, after the controls exist and before the window is shown.
  void (*load)();
  // A click on a button or option button, or a control receiving the focus.
  void (*event)(int control, Event what);
  // The window is asked to close; setting `cancel` keeps it open.
  void (*queryUnload)(int reason, bool& cancel);
};

// Message box flags: only an OK button, with one icon.
enum MsgBoxFlags { kCritical = 16, kExclamation = 48, kInformation = 64 };

// Shows a modal message box and returns when the user closes it.
void MsgBox(const std::string& text, int flags, const std::string& title);

// Creates the window from the table, runs `load`, shows it modeless with no
// owner. The window lives until it is unloaded or closed.
ErrorRecord ShowForm(const FormDef& form, const FormHandlers& handlers);
// Closes the window without asking; the program ends after it.
void UnloadForm();
// True while the window exists.
bool FormIsOpen();

void SetEnabled(int control, bool enabled);
bool IsEnabled(int control);

enum class SysColor { Window, ButtonFace };
void SetBackColor(int control, SysColor color);

// Option buttons. Selecting one deselects the others of its group and raises
// its Click, as a click by the user does.
bool GetValue(int control);
void SetValue(int control, bool selected);

std::string GetText(int control);
void SetText(int control, const std::string& text);
// Appends at the end of the text without rebuilding it; the caret ends at
// the end and the box shows its left edge with the end in view.
void AppendText(int control, const std::string& text);
// Length in the units that SetSelection counts in.
size_t TextLength(int control);
void SetSelection(int control, size_t start, size_t length);
void SetFocus(int control);

// Application-wide mouse pointer: 11 hourglass, 0 default.
enum MousePointer { kPointerDefault = 0, kPointerHourglass = 11 };
void SetMousePointer(int pointer);

// Repaints the window, then processes the events that are waiting; their
// handlers may run before this returns.
void DoEvents();

}  // namespace sondalink::platform::ui
