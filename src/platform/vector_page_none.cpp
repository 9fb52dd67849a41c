// Builds without cairo (Windows): no PDF or SVG pages. The command line refuses --pdf and
// --svg there, so these are never reached by a user.
#include "platform/vector_page.h"

#include "platform/errors.h"

namespace platform {

bool VectorPagesAvailable() { return false; }

void BeginVectorPage(PageFormat, const std::string&, const std::string& display, const std::string&,
                     double, double, double) {
  RunTimeError(kAccessDenied, display, 0, "PDF and SVG pages are not available in this build");
}
void VectorPenColour(std::uint32_t) {}
void VectorMoveTo(double, double) {}
void VectorLineTo(double, double) {}
void EndVectorPage() {}
void CancelVectorPage() {}

}  // namespace platform
