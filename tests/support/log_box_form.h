// A window that holds nothing but the log box, for the tests of what is
// written into it.
#pragma once

#include "app/controls.h"
#include "platform/ui.h"

namespace sondalink::testing {

inline constexpr platform::ui::ControlSpec kOnlyLogBox[] = {
    {kEdLog, "edLog", platform::ui::ControlKind::TextBox, 0, "", {135, 2655, 8295, 4065},
     platform::ui::kStyleMultiLine | platform::ui::kStyleReadOnly | platform::ui::kStyleScrollBars |
         platform::ui::kStyleButtonFace},
};

inline ErrorRecord ShowOnlyTheLogBox() {
  return platform::ui::ShowForm({"prova", 8595, 6870, kOnlyLogBox, 1}, {});
}

}  // namespace sondalink::testing
