// SetUserDiskQuota on the emulated machine. The input's first byte, when
// even, adds the user as an account first, so that quotas get applied; four
// bytes each give the limit and the warning level; the texts after them are
// the volume path and the user name.

#include "admin/mdlDiskQuota.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzzing::require;

// A drive letter, a colon and nothing but backslashes after them.
bool namesADrive(std::u16string_view path)
{
    const char16_t letter = path.empty() ? u'\0' : path[0] | 0x20;
    return letter >= u'a' && letter <= u'z' && path.size() >= 2 && path[1] == u':' &&
           path.find_first_not_of(u'\\', 2) == path.npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::Input input{data, size};
    emulated::Machine& machine = fuzzing::freshMachine();
    const bool addAccount = input.take<std::uint8_t>() % 2 == 0;
    const std::int32_t limit = input.take<std::int32_t>();
    const std::int32_t warning = input.take<std::int32_t>();
    const std::vector<std::u16string> texts = input.texts();
    const std::u16string& volume = texts[0];
    const std::u16string user = texts.size() > 1 ? texts[1] : u"";
    if (addAccount) {
        std::u16string name = user;
        platform::USER_INFO_1 record{};
        record.usri1_name = name.data();
        record.usri1_priv = platform::USER_PRIV_USER;
        machine.addUser(nullptr, 1, &record, nullptr);
    }

    const bool applied = mdlDiskQuota::SetUserDiskQuota(volume, user, limit, warning);

    require(machine.liveObjects() == 0, "every automation object is released");
    const testsupport::ShownMessages messages = testsupport::takeShownMessages();
    require(messages.size() == (applied ? 0u : 1u), "a message exactly when the result is false");
    require(namesADrive(volume) ||
                (!applied && messages[0].text == u"The filename, directory name, or volume "
                                                 u"label syntax is incorrect."),
            "a path that names no drive is refused as such");
    return 0;
}
