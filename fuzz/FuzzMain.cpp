// One libFuzzer program: FUZZ_TARGET names the target it feeds.
#include "FuzzTargets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz::Init(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString target = QStringLiteral(FUZZ_TARGET);
    Fuzz::Run(target, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
