#pragma once

// The Windows machine that the program administers on hosts without Windows:
// its account database, the network API's buffer allocator and its volumes,
// all in memory for the life of the program. It answers as Windows does, so
// the program shows the messages it shows on Windows.

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

class MachineProbe;

class Machine
{
public:
    // The machine the program runs against.
    static Machine& instance();

    // The computer name: this host's name.
    const QString& name() const { return name_; }

    platform::NET_API_STATUS allocateBuffer(std::uint32_t byteCount, void** buffer);
    platform::NET_API_STATUS freeBuffer(void* buffer);
    platform::NET_API_STATUS addUser(const char16_t* serverName, std::uint32_t level,
                                     const void* buffer, std::uint32_t* parmError);

    const Account* findAccount(const QString& name) const;

    // The volume a drive letter of either case names, if there is one.
    Volume* volume(QChar driveLetter);

    // Automation objects report their life, and take the failure set up for
    // the next creation, or for the next use of a member on any object.
    // Member names are matched without regard to case, as automation does.
    void objectCreated() { ++liveObjects_; }
    void objectReleased() { --liveObjects_; }
    std::optional<std::int32_t> takeCreationFailure();
    std::optional<std::int32_t> takeMemberFailure(QStringView member);

private:
    // The tests' face: it resets the machine, makes calls fail and looks
    // inside. Only tests and the fuzz target include it.
    friend class MachineProbe;

    Machine();
    void reset();
    bool isPassword(const QString& accountName, const QString& candidate) const;
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
