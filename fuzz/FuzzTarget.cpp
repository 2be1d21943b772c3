// One libFuzzer entry over one of the readers, chosen by the build.
#include "FuzzReaders.h"

#include <QCoreApplication>

#include <cstring>

namespace {
const brimlark::fuzz::Target *s_target = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The model's readers are QObjects and want an application object.
    static QCoreApplication app(*argc, *argv);
    for (const auto &target : brimlark::fuzz::targets()) {
        if (std::strcmp(target.name, BRIMLARK_FUZZ_TARGET) == 0) {
            s_target = &target;
        }
    }
    return s_target ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    s_target->read(data, size);
    return 0;
}
