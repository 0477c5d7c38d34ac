#include "admin/mdlDiskQuota.h"
#include "platform/automation.h"
#include "platform/messagebox.h"
#include "platform/utf8.h"

#include <exception>
#include <string>

namespace mdlDiskQuota {
namespace {

using platform::automation::Object;

constexpr double kBytesPerMegabyte = 1048576.0;

// The quota service's own value for a quota without limit.
constexpr double kNoLimitBytes = -1.0;

double ToBytes(std::int32_t megabytes)
{
    return megabytes < 0 ? kNoLimitBytes : static_cast<double>(megabytes) * kBytesPerMegabyte;
}

Object AsObject(platform::automation::Variant result)
{
    if (auto* object = std::get_if<Object>(&result); object != nullptr && *object != nullptr) {
        return std::move(*object);
    }
    // The run-time error for a member that hands back no object.
    throw platform::automation::Error(static_cast<std::int32_t>(0x800A01A8), u"Object required");
}

void ApplyQuota(const std::u16string& volumePath, const std::u16string& userName,
                std::int32_t limitMegabytes, std::int32_t warningMegabytes)
{
    using platform::automation::TextRef;

    const Object control = platform::automation::CreateObject(u"Microsoft.DiskQuota.1");
    control->call(u"Initialize", {TextRef(volumePath), std::int16_t{1}});
    const Object user = AsObject(control->call(u"AddUser", {TextRef(userName)}));
    const double limitBytes = ToBytes(limitMegabytes);
    const double warningBytes = ToBytes(warningMegabytes);
    control->set(u"LogQuotaThreshold", true);
    user->set(u"QuotaLimit", limitBytes);
    user->set(u"QuotaThreshold", warningBytes);
}

} // namespace

bool SetUserDiskQuota(const std::u16string& volumePath, const std::u16string& userName,
                      std::int32_t limitMegabytes, std::int32_t warningMegabytes)
{
    std::u16string description;
    try {
        ApplyQuota(volumePath, userName, limitMegabytes, warningMegabytes);
        return true;
    } catch (const platform::automation::Error& error) {
        description = error.description();
    } catch (const std::exception& error) {
        description = platform::fromUtf8(error.what());
    }
    platform::MsgBox(description, platform::MessageStyle::Critical, kMessageTitle);
    return false;
}

} // namespace mdlDiskQuota
