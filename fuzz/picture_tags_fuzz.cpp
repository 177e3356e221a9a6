// Picture tags as pages write them: read by attribute, encrypted addresses
// decrypted, markers put in and taken out again.
#include "collector/image_markers.h"
#include "core/cut.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const auto p = FuzzParts(data, size, 1);
  const core::Text& body = p[0];
  core::TextArray tags;
  const int found = core::FindAllBetween(body, "<img", ">", tags);
  for (const bool lazy : {false, true}) {
    collector::ImageSources sources;
    collector::PictureRules rules{lazy, lazy ? "www.sohu.com6666" : ""};
    int leftOut = 0;
    const core::Text protectedBody = collector::ProtectImages(body, sources, rules, &leftOut);
    // Every tag is either recorded or left out, and only an encrypted one is left out.
    if (int(sources.size()) + leftOut != found || (!lazy && leftOut != 0)) __builtin_trap();
    for (const core::Text& address : sources) {
      if (address.find_first_of("\"<>") != core::Text::npos) __builtin_trap();
    }
    const core::Text restored = collector::RestoreImages(protectedBody, sources);
    if (!sources.empty()) __builtin_trap();
    collector::LocaliseImageRefs(restored);
  }
  return 0;
}
