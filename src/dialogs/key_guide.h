// The key guide on F1: a page of the keys over the drawing area until the next key, which
// stays queued for its reader; the picture under it comes back pixel for pixel.
#pragma once

namespace dialogs {

void ShowKeyGuide();

}  // namespace dialogs
