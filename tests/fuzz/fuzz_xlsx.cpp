#include "tests/fuzz/fuzz_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    veranth::fuzzing::readWorkbookInput(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), "T.xlsx");
    return 0;
}
