#pragma once

// The Windows machine that the program administers on hosts without Windows,
// and the network it reaches: each computer's account database, this
// machine's network API buffer allocator and its volumes, all in memory for
// the life of the program. It answers as Windows does, so the program shows
// the messages it shows on Windows.

#include "platform/netapi.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <functional>
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

// A computer of the network, with an account database of its own.
struct Computer
{
    QString name;
    // The domain its accounts are in, as lookups name it: the computer's own
    // name, or on a domain controller the domain's.
    QString accountDomain;
    // The domain the computer is a member of; empty in a workgroup.
    QString memberOf;
    std::vector<Account> accounts;
    std::vector<QString> groups;

    // Names are unique without regard to case.
    const Account* findAccount(const QString& name) const;
    bool isGroup(const QString& name) const;
};

// What a name stands for, as a lookup from one computer resolves it.
struct LookedUp
{
    platform::SID_NAME_USE use = platform::SidTypeUser;
    QString domain;
    QByteArray sid;
    // The account, when the name stands for one.
    const Account* account = nullptr;
};

// A user's quota on a volume, in bytes; -1 means no limit.
struct QuotaEntry
{
    double limit = -1;
    double threshold = -1;
    bool operator==(const QuotaEntry&) const = default;
};

struct Volume
{
    QString fileSystem;
    bool supportsQuotas = false;
    // Warning-level events are written to the event log.
    bool logsThreshold = false;
    // By the account's domain and name, as lookups spell them: DOMAIN\name.
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
    const QString& name() const { return here().name; }

    platform::NET_API_STATUS allocateBuffer(std::uint32_t byteCount, void** buffer);
    platform::NET_API_STATUS freeBuffer(void* buffer);
    platform::NET_API_STATUS addUser(const char16_t* serverName, std::uint32_t level,
                                     const void* buffer, std::uint32_t* parmError);

    bool lookupAccountName(const char16_t* systemName, const char16_t* accountName, void* sid,
                           std::uint32_t* sidSize, char16_t* referencedDomainName,
                           std::uint32_t* referencedDomainNameLength, platform::SID_NAME_USE* use);

    // What the name stands for as this machine resolves it: the well-known
    // group Everyone first, then this machine's accounts, then its domain's.
    // A name with a domain in front is looked for in that domain only.
    std::optional<LookedUp> lookUp(const QString& name) const { return lookUp(here(), name); }

    // The volume a drive letter of either case names, if there is one.
    Volume* volume(QChar driveLetter);

    // NetUserAdd, the account lookup and every automation call the program
    // makes, by the platform's name for it, are told first to whatever the
    // tests watch with.
    void called(QStringView call) const
    {
        if (callWatcher_) {
            callWatcher_(call);
        }
    }

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
    static bool isPassword(const Account& account, const QString& candidate);
    const Computer& here() const { return computers_.front(); }
    // The computer a server name names, or the status NetUserAdd answers for it.
    platform::NET_API_STATUS findServer(const char16_t* serverName, std::size_t& index) const;
    std::optional<LookedUp> lookUp(const Computer& from, const QString& name) const;

    // This machine first.
    std::vector<Computer> computers_;
    std::vector<BufferRecord> buffers_;
    std::map<void*, std::size_t> live_;
    std::optional<platform::NET_API_STATUS> allocationFailure_;
    std::size_t allocationsBeforeFailure_ = 0;
    std::optional<platform::NET_API_STATUS> userAddFailure_;
    std::uint32_t userAddFailureIndex_ = 0;
    std::map<QChar, Volume> volumes_;
    bool lookupFailure_ = false;
    std::optional<std::int32_t> creationFailure_;
    std::map<QString, std::int32_t> memberFailures_;
    int liveObjects_ = 0;
    std::function<void(QStringView call)> callWatcher_;
};

} // namespace emulated
