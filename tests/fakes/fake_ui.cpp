#include "fakes/fake_ui.h"

namespace sondalink {
namespace fake::ui {

State& Get() {
  static State state;
  return state;
}

void Reset() { Get() = State{}; }

Control& At(int id) { return Get().controls.at(id); }

void Click(int id) {
  Control& c = At(id);
  if (!c.enabled || !Get().open) return;
  if (c.def.kind == ControlKind::OptionButton) {
    // As on the real window, clicking the option already selected is no event.
    if (!c.value) platform::ui::SetValue(id, true);
  } else if (c.def.kind == ControlKind::CommandButton && Get().handlers.event) {
    Get().handlers.event(id, platform::ui::Event::Click);
  }
}

void Type(int id, const std::string& text) {
  if (At(id).enabled) At(id).text = text;
}

void Focus(int id) {
  if (At(id).enabled) platform::ui::SetFocus(id);
}

bool RequestClose(int reason) {
  State& s = Get();
  bool cancel = false;
  if (s.handlers.queryUnload) s.handlers.queryUnload(reason, cancel);
  if (!cancel) s.open = false;
  return !cancel;
}

void Queue(std::function<void()> action) { Get().pending.push_back(std::move(action)); }

}  // namespace fake::ui

namespace platform::ui {

using fake::ui::Get;
using fake::ui::At;

void MsgBox(const std::string& text, int flags, const std::string& title) {
  fake::ui::Box box{text, flags, title};
  Get().boxes.push_back(box);
  if (Get().onBox) Get().onBox(box);
}

ErrorRecord ShowForm(const FormDef& form, const FormHandlers& handlers) {
  auto& s = Get();
  if (s.showFormError.failed()) return s.showFormError;
  s.caption = form.caption;
  s.handlers = handlers;
  s.controls.clear();
  for (size_t i = 0; i < form.count; ++i) {
    const ControlDef& def = form.controls[i];
    fake::ui::Control c;
    c.def = def;
    if (def.kind != ControlKind::TextBox && def.caption) c.text = def.caption;
    c.enabled = !(def.style & kStyleDisabled);
    c.back = (def.style & kStyleButtonFace) ? SysColor::ButtonFace : SysColor::Window;
    s.controls[def.id] = c;
  }
  if (handlers.load) handlers.load();
  s.open = true;
  return {};
}

void UnloadForm() { Get().open = false; }
bool FormIsOpen() { return Get().open; }

void SetEnabled(int control, bool enabled) { At(control).enabled = enabled; }
bool IsEnabled(int control) { return At(control).enabled; }
void SetBackColor(int control, SysColor color) { At(control).back = color; }

bool GetValue(int control) { return At(control).value; }

void SetValue(int control, bool selected) {
  auto& c = At(control);
  c.value = selected;
  if (!selected) return;
  for (auto& [id, other] : Get().controls) {
    if (id != control && other.def.kind == ControlKind::OptionButton && other.def.parent == c.def.parent)
      other.value = false;
  }
  if (Get().handlers.event) Get().handlers.event(control, Event::Click);
}

std::string GetText(int control) { return At(control).text; }
void SetText(int control, const std::string& text) { At(control).text = text; }
void AppendText(int control, const std::string& text) { At(control).text += text; }
size_t TextLength(int control) { return At(control).text.size(); }

void SetSelection(int control, size_t start, size_t length) {
  At(control).selStart = start;
  At(control).selLength = length;
}

void SetFocus(int control) {
  Get().focus = control;
  if (Get().handlers.event) Get().handlers.event(control, Event::GotFocus);
}

void SetMousePointer(int pointer) {
  if (Get().onPointer) Get().onPointer(pointer);
  Get().pointer = pointer;
  Get().pointerHistory.push_back(pointer);
}

void DoEvents() {
  auto& s = Get();
  ++s.doEventsCalls;
  for (auto& action : std::exchange(s.pending, {})) action();
}

}  // namespace platform::ui
}  // namespace sondalink
