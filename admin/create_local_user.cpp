#include "admin/mdlDiskQuota.h"
#include "admin/terminated_text.h"
#include "platform/messagebox.h"
#include "platform/netapi.h"
#include "platform/unique_resource.h"
#include "platform/wipe.h"

#include <string>

namespace mdlDiskQuota {
namespace {

using platform::NET_API_STATUS;

// A network API buffer and its size, so that it can be wiped before it is
// freed: no password outlives the call.
struct TextBuffer
{
    void* data = nullptr;
    std::uint32_t byteCount = 0;
};

struct WipedTextBufferTraits
{
    using type = TextBuffer;
    static type empty() noexcept { return {}; }
    static void close(type& buffer) noexcept
    {
        if (buffer.data != nullptr) {
            platform::wipe(buffer.data, buffer.byteCount);
            platform::NetApiBufferFree(buffer.data);
        }
    }
};

using NetApiTextBuffer = platform::UniqueResource<WipedTextBufferTraits>;

// Allocates room for the text and its terminator, whose byte count the
// caller has made sure fits; the text is copied in only once both
// allocations have succeeded.
NET_API_STATUS Allocate(const std::u16string& text, NetApiTextBuffer& buffer)
{
    const std::uint32_t byteCount = *TerminatedByteCount(text.size());
    void* data = nullptr;
    NET_API_STATUS status = platform::NetApiBufferAllocate(byteCount, &data);
    buffer.reset({data, byteCount});
    if (status == platform::NERR_Success && data == nullptr) {
        status = platform::ERROR_NOT_ENOUGH_MEMORY;
    }
    return status;
}

char16_t* CopyInto(const NetApiTextBuffer& buffer, const std::u16string& text)
{
    return platform::lstrcpyW(static_cast<char16_t*>(buffer.get().data), text.c_str());
}

// The platform reads each text up to its first NUL: a text with one inside
// would reach it cut short, under another name.
bool PlatformTakesWhole(const std::u16string& text)
{
    return TerminatedByteCount(text.size()) && text.find(u'\0') == std::u16string::npos;
}

NET_API_STATUS AddAccount(const std::u16string& serverName, const std::u16string& userName,
                          const std::u16string& password, std::uint32_t& parmError)
{
    if (!PlatformTakesWhole(serverName) || !PlatformTakesWhole(userName) ||
        !PlatformTakesWhole(password)) {
        return platform::ERROR_INVALID_PARAMETER;
    }
    NetApiTextBuffer nameBuffer;
    NetApiTextBuffer passwordBuffer;
    NET_API_STATUS status = Allocate(userName, nameBuffer);
    if (status == platform::NERR_Success) {
        status = Allocate(password, passwordBuffer);
    }
    if (status != platform::NERR_Success) {
        return status;
    }

    platform::USER_INFO_1 account{};
    account.usri1_name = CopyInto(nameBuffer, userName);
    account.usri1_password = CopyInto(passwordBuffer, password);
    account.usri1_password_age = 3;
    account.usri1_priv = platform::USER_PRIV_USER;
    account.usri1_flags = platform::UF_NORMAL_ACCOUNT;
    status = platform::NetUserAdd(serverName.c_str(), 1, &account, &parmError);

    // Released in the order they were taken.
    nameBuffer.reset();
    passwordBuffer.reset();
    return status;
}

std::u16string Decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

std::u16string FailureMessage(NET_API_STATUS status, std::uint32_t parmError,
                              const std::u16string& userName)
{
    const std::u16string whenAdding = u" when adding user " + userName;
    switch (status) {
    case platform::ERROR_BAD_NETPATH:
        return u"Errors occured (Invalid Server name) " + whenAdding;
    case platform::NERR_UserExists:
        return u"Errors occured (User already exist) " + whenAdding;
    default:
        return u"Error " + Decimal(static_cast<std::int32_t>(status)) + u" in parameter " +
               Decimal(parmError) + whenAdding;
    }
}

} // namespace

std::int32_t CreateLocalUser(const std::u16string& serverName, const std::u16string& userName,
                             const std::u16string& password)
{
    std::uint32_t parmError = 0;
    const NET_API_STATUS status = AddAccount(serverName, userName, password, parmError);
    if (status != platform::NERR_Success) {
        platform::MsgBox(FailureMessage(status, parmError, userName),
                         platform::MessageStyle::Critical, kMessageTitle);
    }
    return static_cast<std::int32_t>(status);
}

} // namespace mdlDiskQuota
