// libFuzzer entry point; the body is shared with the regression test (targets.h).
#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    return varnelo::fuzz::fuzzTranslation(data, size);
}
