#pragma once

namespace ondrix {

// Makes the suite's own controls known to assistive tools (screen readers,
// the desktop's accessibility bus) as what they are to a user: a clickable
// label that handles clicks is a push button named by its caption, whose
// Press action clicks it; one that does not is a text; a suite window is a
// window. The first call installs; later ones do nothing.
void installAccessibleControls();

}  // namespace ondrix
