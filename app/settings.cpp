#include "app/settings.h"

namespace app {

sources::Profile LoadProfile(const Text& content, const Text& chosen, core::TextArray& problems) {
  return sources::BuildProfile(sources::ParseSettings(content, problems), chosen, problems);
}

}  // namespace app
