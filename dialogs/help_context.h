#pragma once

// The property that carries a window's, menu's or entry's help topic
// number; the F1 key and the main menu's Windows entries read it.
inline constexpr const char* kHelpContextProperty = "HelpContext";
