#include "platform/emulated/machine.h"

#include <QSysInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sodium.h>
#include <stdexcept>

namespace emulated {
namespace {

using namespace Qt::StringLiterals;
using platform::NET_API_STATUS;

// The network beside this machine: the controller of the domain this machine
// is a member of, and a server in a workgroup.
const QString kDomain = u"CORP"_s;
const QString kDomainController = u"CORPDC"_s;
const QString kWorkgroupServer = u"FILESRV"_s;

// The relative identifier of each database's first account, Administrator.
constexpr std::uint32_t kFirstRid = 500;

constexpr std::size_t kMaxUserNameLength = 20;
constexpr std::size_t kMaxPasswordLength = 256;

// Code unit for code unit: a leading U+FEFF is part of the name, not a byte-order mark.
QString fromPlatform(const char16_t* text)
{
    return text == nullptr ? QString() : QStringView(text).toString();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// As the network management API documents account names: characters 1 to 31
// are refused, DEL and the other control characters above them are not.
bool isValidUserName(const QString& name)
{
    static const QString forbidden = QStringLiteral("\"/\\[]:|<>+=;?*,");
    if (name.isEmpty() || name.size() > qsizetype(kMaxUserNameLength) || name.endsWith(u'.')) {
        return false;
    }
    const bool anyForbidden = std::any_of(name.begin(), name.end(), [](QChar c) {
        return (c.unicode() >= 1 && c.unicode() <= 31) || forbidden.contains(c);
    });
    const bool onlyPeriodsAndBlanks =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c == u'.' || c == u' '; });
    return !anyForbidden && !onlyPeriodsAndBlanks;
}

// Argon2id, which wipes its own state, so that the password stays only in the
// caller's buffer. At its smallest cost: the accounts live no longer than the
// program, and a real cost would slow every test. Empty when out of memory.
QByteArray passwordVerifier(const QByteArray& salt, std::u16string_view password)
{
    QByteArray verifier(32, '\0');
    if (crypto_pwhash(
            reinterpret_cast<unsigned char*>(verifier.data()),
            static_cast<unsigned long long>(verifier.size()),
            reinterpret_cast<const char*>(password.data()), password.size() * sizeof(char16_t),
            reinterpret_cast<const unsigned char*>(salt.constData()), crypto_pwhash_OPSLIMIT_MIN,
            crypto_pwhash_MEMLIMIT_MIN, crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return {};
    }
    return verifier;
}

QByteArray newSalt()
{
    QByteArray salt(crypto_pwhash_SALTBYTES, '\0');
    randombytes_buf(salt.data(), static_cast<std::size_t>(salt.size()));
    return salt;
}

// A security identifier as the platform lays it out: revision 1, the count of
// sub-authorities, the authority in 48 bits big-endian, then the
// sub-authorities in 32 bits little-endian.
QByteArray sidOf(std::uint8_t authority, std::initializer_list<std::uint32_t> subAuthorities)
{
    QByteArray bytes(8, '\0');
    bytes[0] = 1;
    bytes[1] = static_cast<char>(subAuthorities.size());
    bytes[7] = static_cast<char>(authority);
    for (const std::uint32_t subAuthority : subAuthorities) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(static_cast<char>(subAuthority >> shift));
        }
    }
    return bytes;
}

bool allZero(const void* data, std::uint32_t byteCount)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::all_of(bytes, bytes + byteCount, [](unsigned char b) { return b == 0; });
}

} // namespace

Machine::Machine()
{
    if (sodium_init() < 0) {
        throw std::runtime_error("the emulated machine's password hashing could not start");
    }
    reset();
}

Machine& Machine::instance()
{
    static Machine machine;
    return machine;
}

void Machine::reset()
{
    for (const auto& [data, index] : live_) {
        std::free(data);
    }
    const auto computer = [](QString name, QString accountDomain, QString memberOf,
                             std::initializer_list<const char*> builtIns) {
        Computer made{std::move(name), std::move(accountDomain), std::move(memberOf), {}, {}};
        for (const char* builtIn : builtIns) {
            Account account;
            account.name = QString::fromLatin1(builtIn);
            made.accounts.push_back(account);
        }
        made.groups = {u"Administrators"_s, u"Users"_s, u"Guests"_s};
        return made;
    };
    const QString host = QSysInfo::machineHostName();
    computers_ = {
        computer(host, host, kDomain, {"Administrator", "Guest", "DefaultAccount"}),
        computer(kDomainController, kDomain, kDomain, {"Administrator", "Guest", "krbtgt"}),
        computer(kWorkgroupServer, kWorkgroupServer, {}, {"Administrator", "Guest"}),
    };
    buffers_.clear();
    live_.clear();
    allocationFailure_.reset();
    userAddFailure_.reset();
    lookupFailure_ = false;
    volumes_.clear();
    volumes_[u'C'] = {u"NTFS"_s, true, false, {}};
    volumes_[u'D'] = {u"NTFS"_s, true, false, {}};
    volumes_[u'E'] = {u"FAT32"_s, false, false, {}};
    creationFailure_.reset();
    memberFailures_.clear();
    callWatcher_ = nullptr;
}

Volume* Machine::volume(QChar driveLetter)
{
    const auto found = volumes_.find(driveLetter.toUpper());
    return found == volumes_.end() ? nullptr : &found->second;
}

std::optional<std::int32_t> Machine::takeCreationFailure()
{
    return std::exchange(creationFailure_, std::nullopt);
}

std::optional<std::int32_t> Machine::takeMemberFailure(QStringView member)
{
    const auto found = memberFailures_.find(member.toString().toLower());
    if (found == memberFailures_.end()) {
        return std::nullopt;
    }
    const std::int32_t code = found->second;
    memberFailures_.erase(found);
    return code;
}

NET_API_STATUS Machine::allocateBuffer(std::uint32_t byteCount, void** buffer)
{
    if (buffer == nullptr) {
        return platform::ERROR_INVALID_PARAMETER;
    }
    *buffer = nullptr;
    if (allocationFailure_ && allocationsBeforeFailure_-- == 0) {
        return *std::exchange(allocationFailure_, std::nullopt);
    }
    void* data = std::calloc(std::max<std::uint32_t>(byteCount, 1), 1);
    if (data == nullptr) {
        return platform::ERROR_NOT_ENOUGH_MEMORY;
    }
    live_[data] = buffers_.size();
    buffers_.push_back({byteCount, false});
    *buffer = data;
    return platform::NERR_Success;
}

NET_API_STATUS Machine::freeBuffer(void* buffer)
{
    if (buffer == nullptr) {
        return platform::NERR_Success;
    }
    const auto live = live_.find(buffer);
    if (live == live_.end()) {
        return platform::ERROR_INVALID_PARAMETER;
    }
    BufferRecord& record = buffers_[live->second];
    record.wipedBeforeRelease = allZero(buffer, record.byteCount);
    live_.erase(live);
    std::free(buffer);
    return platform::NERR_Success;
}

NET_API_STATUS Machine::findServer(const char16_t* serverName, std::size_t& index) const
{
    index = 0; // no name: this machine itself
    if (serverName == nullptr) {
        return platform::NERR_Success;
    }
    QString name = fromPlatform(serverName);
    if (name.startsWith(u"\\\\"_s)) {
        name.remove(0, 2);
        if (name.isEmpty()) {
            return platform::ERROR_INVALID_NAME;
        }
    }
    if (name.startsWith(u'\\')) {
        return platform::ERROR_INVALID_NAME;
    }
    if (sameName(name, u"localhost"_s) || name == u"127.0.0.1"_s) {
        return platform::NERR_Success;
    }
    for (index = 0; index < computers_.size(); ++index) {
        if (sameName(computers_[index].name, name)) {
            return platform::NERR_Success;
        }
    }
    return platform::ERROR_BAD_NETPATH;
}

bool Computer::isGroup(const QString& name) const
{
    return std::any_of(groups.begin(), groups.end(),
                       [&](const QString& group) { return sameName(group, name); });
}

NET_API_STATUS Machine::addUser(const char16_t* serverName, std::uint32_t level, const void* buffer,
                                std::uint32_t* parmError)
{
    called(u"NetUserAdd");
    if (userAddFailure_) {
        const NET_API_STATUS status = *std::exchange(userAddFailure_, std::nullopt);
        if (status == platform::ERROR_INVALID_PARAMETER && parmError != nullptr) {
            *parmError = userAddFailureIndex_;
        }
        return status;
    }
    std::size_t serverIndex = 0;
    if (const NET_API_STATUS status = findServer(serverName, serverIndex);
        status != platform::NERR_Success) {
        return status;
    }
    Computer& server = computers_[serverIndex];
    if (level != 1) {
        return platform::ERROR_INVALID_LEVEL;
    }
    if (buffer == nullptr) {
        return platform::ERROR_INVALID_PARAMETER;
    }
    const auto& record = *static_cast<const platform::USER_INFO_1*>(buffer);
    const QString userName = fromPlatform(record.usri1_name);
    // Read in place: the password is never copied in clear.
    // A null password is an empty one; the hash takes no null pointer.
    const std::u16string_view password =
        record.usri1_password == nullptr ? std::u16string_view(u"") : record.usri1_password;
    if (!isValidUserName(userName)) {
        return platform::NERR_BadUsername;
    }
    if (record.usri1_priv != platform::USER_PRIV_USER) {
        if (parmError != nullptr) {
            *parmError = platform::USER_PRIV_PARMNUM;
        }
        return platform::ERROR_INVALID_PARAMETER;
    }
    if (password.size() > kMaxPasswordLength) {
        return platform::NERR_PasswordTooShort;
    }
    if (server.isGroup(userName)) {
        return platform::ERROR_ALIAS_EXISTS;
    }
    if (server.findAccount(userName) != nullptr) {
        return platform::NERR_UserExists;
    }

    Account account;
    account.name = userName;
    account.passwordAge = record.usri1_password_age;
    account.privilege = record.usri1_priv;
    account.flags = record.usri1_flags;
    account.homeDirectory = fromPlatform(record.usri1_home_dir);
    account.comment = fromPlatform(record.usri1_comment);
    account.scriptPath = fromPlatform(record.usri1_script_path);
    account.passwordSalt = newSalt();
    account.passwordHash = passwordVerifier(account.passwordSalt, password);
    if (account.passwordHash.isEmpty()) {
        return platform::ERROR_NOT_ENOUGH_MEMORY;
    }
    server.accounts.push_back(account);
    return platform::NERR_Success;
}

const Account* Computer::findAccount(const QString& name) const
{
    const auto found = std::find_if(accounts.begin(), accounts.end(), [&](const Account& account) {
        return sameName(account.name, name);
    });
    return found == accounts.end() ? nullptr : &*found;
}

std::optional<LookedUp> Machine::lookUp(const Computer& from, const QString& name) const
{
    const qsizetype separator = name.indexOf(u'\\');
    const QString domain = separator < 0 ? QString() : name.left(separator);
    const QString accountName = name.mid(separator + 1);
    if (separator < 0 && sameName(accountName, u"Everyone"_s)) {
        return LookedUp{platform::SidTypeWellKnownGroup, {}, sidOf(1, {0}), nullptr};
    }
    // The computer's own database, then its domain's, as a member reaches it.
    std::vector<const Computer*> databases = {&from};
    for (const Computer& computer : computers_) {
        if (&computer != &from && !from.memberOf.isEmpty() &&
            sameName(computer.accountDomain, from.memberOf)) {
            databases.push_back(&computer);
        }
    }
    for (const Computer* database : databases) {
        if (separator >= 0 && !sameName(domain, database->accountDomain)) {
            continue;
        }
        if (const Account* account = database->findAccount(accountName)) {
            const auto computerIndex = static_cast<std::uint32_t>(database - computers_.data());
            const auto rid =
                static_cast<std::uint32_t>(kFirstRid + (account - database->accounts.data()));
            return LookedUp{platform::SidTypeUser, database->accountDomain,
                            sidOf(5, {21, computerIndex, rid}), account};
        }
    }
    return std::nullopt;
}

bool Machine::lookupAccountName(const char16_t* systemName, const char16_t* accountName, void* sid,
                                std::uint32_t* sidSize, char16_t* referencedDomainName,
                                std::uint32_t* referencedDomainNameLength,
                                platform::SID_NAME_USE* use)
{
    called(u"LookupAccountNameW");
    // An empty name is this machine too, unlike NetUserAdd's.
    std::size_t from = 0;
    if (std::exchange(lookupFailure_, false) || accountName == nullptr ||
        (systemName != nullptr && *systemName != u'\0' &&
         findServer(systemName, from) != platform::NERR_Success)) {
        return false;
    }
    const std::optional<LookedUp> found = lookUp(computers_[from], fromPlatform(accountName));
    if (!found) {
        return false;
    }
    const auto sidBytes = static_cast<std::uint32_t>(found->sid.size());
    const auto domainLength = static_cast<std::uint32_t>(found->domain.size());
    if (sid == nullptr || *sidSize < sidBytes || referencedDomainName == nullptr ||
        *referencedDomainNameLength <= domainLength) {
        *sidSize = sidBytes;
        *referencedDomainNameLength = domainLength + 1;
        return false;
    }
    std::memcpy(sid, found->sid.constData(), sidBytes);
    std::copy_n(found->domain.utf16(), domainLength + 1, referencedDomainName);
    *sidSize = sidBytes;
    *referencedDomainNameLength = domainLength;
    *use = found->use;
    return true;
}

bool Machine::isPassword(const Account& account, const QString& candidate)
{
    return !account.passwordHash.isEmpty() &&
           account.passwordHash ==
               passwordVerifier(account.passwordSalt,
                                {reinterpret_cast<const char16_t*>(candidate.utf16()),
                                 std::size_t(candidate.size())});
}

} // namespace emulated
