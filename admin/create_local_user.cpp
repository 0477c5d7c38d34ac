#include "admin/mdlDiskQuota.h"
#include "admin/wipe.h"
#include "platform/messagebox.h"
#include "platform/netapi.h"

#include <string>

namespace mdlDiskQuota {
namespace {

using platform::NET_API_STATUS;

// A buffer from the network API, holding a NUL-terminated UTF-16 text. It is
// wiped before it is freed, so that no password outlives the call.
class NetApiTextBuffer
{
public:
    // Allocates room for the text and its terminator.
    explicit NetApiTextBuffer(const std::u16string& text)
        : byteCount_(static_cast<std::uint32_t>((text.size() + 1) * sizeof(char16_t)))
    {
        void* data = nullptr;
        status_ = platform::NetApiBufferAllocate(byteCount_, &data);
        data_ = static_cast<char16_t*>(data);
        if (status_ == platform::NERR_Success && data_ == nullptr) {
            status_ = platform::ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    NetApiTextBuffer(const NetApiTextBuffer&) = delete;
    NetApiTextBuffer& operator=(const NetApiTextBuffer&) = delete;
    ~NetApiTextBuffer() { release(); }

    // The allocation's status: the buffer may be used only when it is 0.
    NET_API_STATUS status() const { return status_; }
    char16_t* text() const { return data_; }

    void assign(const std::u16string& text) { platform::lstrcpyW(data_, text.c_str()); }

    void release()
    {
        if (data_ != nullptr) {
            wipe(data_, byteCount_);
            platform::NetApiBufferFree(data_);
            data_ = nullptr;
        }
    }

private:
    std::uint32_t byteCount_;
    NET_API_STATUS status_;
    char16_t* data_ = nullptr;
};

NET_API_STATUS AddAccount(const std::u16string& serverName, const std::u16string& userName,
                          const std::u16string& password, std::uint32_t& parmError)
{
    NetApiTextBuffer nameBuffer(userName);
    if (nameBuffer.status() != platform::NERR_Success) {
        return nameBuffer.status();
    }
    NetApiTextBuffer passwordBuffer(password);
    if (passwordBuffer.status() != platform::NERR_Success) {
        return passwordBuffer.status();
    }
    nameBuffer.assign(userName);
    passwordBuffer.assign(password);

    platform::USER_INFO_1 account{};
    account.usri1_name = nameBuffer.text();
    account.usri1_password = passwordBuffer.text();
    account.usri1_password_age = 3;
    account.usri1_priv = platform::USER_PRIV_USER;
    account.usri1_flags = platform::UF_NORMAL_ACCOUNT;
    const NET_API_STATUS status = platform::NetUserAdd(serverName.c_str(), 1, &account, &parmError);

    // Released in the order they were taken.
    nameBuffer.release();
    passwordBuffer.release();
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
