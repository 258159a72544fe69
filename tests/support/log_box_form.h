// A window that holds nothing but the log box, for the tests of what is
// written into it.
#pragma once

#include "app/controls.h"
#include "platform/ui.h"
#include "testlog/testlog.h"

namespace sondalink::testing {

inline constexpr platform::ui::ControlDef kOnlyLogBox[] = {
    {kEdLog, "edLog", platform::ui::ControlKind::TextBox, 0, "", {135, 2655, 8295, 4065},
     platform::ui::kStyleMultiLine | platform::ui::kStyleReadOnly | platform::ui::kStyleScrollBars |
         platform::ui::kStyleButtonFace},
};

// The log echoes into the box from then on.
inline ErrorRecord ShowOnlyTheLogBox() {
  ErrorRecord shown = platform::ui::ShowForm({"prova", 8595, 6870, kOnlyLogBox, 1}, {});
  LogEchoInto(kEdLog);
  return shown;
}

}  // namespace sondalink::testing
