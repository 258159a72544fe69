// The in-memory window behind the native tests: it realizes the control
// table, records message boxes and the pointer, and lets a test act as the
// user (click, type, focus, close) and queue events for the next DoEvents.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace sondalink::fake::ui {

using platform::ui::ControlKind;
using platform::ui::SysColor;

struct Control {
  platform::ui::ControlDef def;
  std::string text;
  bool enabled = true;
  SysColor back = SysColor::Window;
  bool value = false;
  size_t selStart = 0;
  size_t selLength = 0;
};

struct Box {
  std::string text;
  int flags;
  std::string title;
  bool operator==(const Box&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << b.flags << " " << b.title << ": " << b.text;
  }
};

struct State {
  bool open = false;
  std::string caption;
  std::map<int, Control> controls;
  platform::ui::FormHandlers handlers{};
  std::vector<Box> boxes;
  std::vector<int> pointerHistory;  // every SetMousePointer, in order
  int pointer = 0;
  int focus = 0;
  int doEventsCalls = 0;
  std::vector<std::function<void()>> pending;  // run by the next DoEvents
  // While a box is up: it may act as the user would.
  std::function<void(const Box&)> onBox;
  // Told each new pointer; it may throw, as a failing call would.
  std::function<void(int)> onPointer;
  ErrorRecord showFormError;  // ShowForm fails with it and creates nothing
};

State& Get();
void Reset();

Control& At(int id);

// The user's actions. A disabled control ignores them.
void Click(int id);
void Type(int id, const std::string& text);
void Focus(int id);
// The window's close request for `reason`; true when the window closed.
bool RequestClose(int reason);
// Queues an action for the next DoEvents, as a click waiting in the queue.
void Queue(std::function<void()> action);

}  // namespace sondalink::fake::ui
