#pragma once

// The Windows machine that the program administers on hosts without Windows:
// its account database, the network API's buffer allocator and its volumes,
// all in memory for the life of the program. It answers as Windows does, so
// the program shows the messages it shows on Windows, and it lets tests look
// inside and make calls fail.

#include "platform/netapi.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace emulated {

struct Account
{
    QString name;
    std::uint32_t passwordAge = 0;
    std::uint32_t privilege = platform::USER_PRIV_USER;
    std::uint32_t flags = platform::UF_NORMAL_ACCOUNT;
    QString homeDirectory;
    QString comment;
    QString scriptPath;
    QByteArray passwordSalt;
    QByteArray passwordHash;
};

// A user's quota on a volume, in bytes; -1 means no limit.
struct QuotaEntry
{
    double limit = -1;
    double threshold = -1;
};

struct Volume
{
    QString fileSystem;
    bool supportsQuotas = false;
    // Warning-level events are written to the event log.
    bool logsThreshold = false;
    // By account name, as the account database spells it.
    std::map<QString, QuotaEntry> entries;
};

// One allocation of the network API's buffer allocator, kept after it was freed.
struct BufferRecord
{
    std::uint32_t byteCount = 0;
    // Every byte was zero when the buffer was released.
    bool wipedBeforeRelease = false;
};

class Machine
{
public:
    Machine();

    // The machine the program runs against.
    static Machine& instance();

    // Back to the state the machine starts in.
    void reset();

    // The computer name: this host's name.
    const QString& name() const { return name_; }

    platform::NET_API_STATUS allocateBuffer(std::uint32_t byteCount, void** buffer);
    platform::NET_API_STATUS freeBuffer(void* buffer);
    platform::NET_API_STATUS addUser(const char16_t* serverName, std::uint32_t level,
                                     const void* buffer, std::uint32_t* parmError);

    const std::vector<Account>& accounts() const { return accounts_; }
    const Account* findAccount(const QString& name) const;
    bool isPassword(const QString& accountName, const QString& candidate) const;

    // The volume a drive letter of either case names, if there is one.
    Volume* volume(QChar driveLetter);

    // The next automation object created, or the next use of the member on
    // any object, fails with the code given and changes nothing. Member
    // names are matched without regard to case, as automation does.
    void failNextCreation(std::int32_t code) { creationFailure_ = code; }
    void failNextUse(const QString& member, std::int32_t code)
    {
        memberFailures_[member.toLower()] = code;
    }
    std::optional<std::int32_t> takeCreationFailure();
    std::optional<std::int32_t> takeMemberFailure(QStringView member);

    // Automation objects created and not yet released.
    int liveObjects() const { return liveObjects_; }
    void objectCreated() { ++liveObjects_; }
    void objectReleased() { --liveObjects_; }

    const std::vector<BufferRecord>& buffers() const { return buffers_; }
    std::size_t outstandingBuffers() const { return live_.size(); }

    // A later call fails with the status given, and changes nothing: the next
    // allocation after the number of successful ones given, the next NetUserAdd
    // (which names the offending member, as it does with status 87).
    void failNextAllocation(platform::NET_API_STATUS status, std::size_t afterSuccesses = 0)
    {
        allocationFailure_ = status;
        allocationsBeforeFailure_ = afterSuccesses;
    }
    void failNextUserAdd(platform::NET_API_STATUS status, std::uint32_t parmIndex = 0)
    {
        userAddFailure_ = status;
        userAddFailureIndex_ = parmIndex;
    }

private:
    std::optional<platform::NET_API_STATUS> checkServer(const char16_t* serverName) const;
    bool isGroup(const QString& name) const;

    QString name_;
    std::vector<Account> accounts_;
    std::vector<QString> groups_;
    std::vector<BufferRecord> buffers_;
    std::map<void*, std::size_t> live_;
    std::optional<platform::NET_API_STATUS> allocationFailure_;
    std::size_t allocationsBeforeFailure_ = 0;
    std::optional<platform::NET_API_STATUS> userAddFailure_;
    std::uint32_t userAddFailureIndex_ = 0;
    std::map<QChar, Volume> volumes_;
    std::optional<std::int32_t> creationFailure_;
    std::map<QString, std::int32_t> memberFailures_;
    int liveObjects_ = 0;
};

} // namespace emulated
