#include "platform/emulated/machine.h"

#include <QSysInfo>
#include <algorithm>
#include <cstdlib>
#include <sodium.h>
#include <stdexcept>

namespace emulated {
namespace {

using platform::NET_API_STATUS;

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
    name_ = QSysInfo::machineHostName();
    accounts_.clear();
    for (const char* builtIn : {"Administrator", "Guest", "DefaultAccount"}) {
        Account account;
        account.name = QString::fromLatin1(builtIn);
        accounts_.push_back(account);
    }
    groups_ = {QStringLiteral("Administrators"), QStringLiteral("Users"), QStringLiteral("Guests")};
    buffers_.clear();
    live_.clear();
    allocationFailure_.reset();
    userAddFailure_.reset();
    volumes_.clear();
    volumes_[u'C'] = {QStringLiteral("NTFS"), true, false, {}};
    volumes_[u'D'] = {QStringLiteral("NTFS"), true, false, {}};
    volumes_[u'E'] = {QStringLiteral("FAT32"), false, false, {}};
    creationFailure_.reset();
    memberFailures_.clear();
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

std::optional<NET_API_STATUS> Machine::checkServer(const char16_t* serverName) const
{
    if (serverName == nullptr) {
        return std::nullopt; // no name: this machine itself
    }
    QString name = fromPlatform(serverName);
    if (name.startsWith(QStringLiteral("\\\\"))) {
        name.remove(0, 2);
        if (name.isEmpty()) {
            return platform::ERROR_INVALID_NAME;
        }
    }
    if (name.startsWith(u'\\')) {
        return platform::ERROR_INVALID_NAME;
    }
    if (sameName(name, name_) || sameName(name, QStringLiteral("localhost")) ||
        name == QStringLiteral("127.0.0.1")) {
        return std::nullopt;
    }
    return platform::ERROR_BAD_NETPATH;
}

bool Machine::isGroup(const QString& name) const
{
    return std::any_of(groups_.begin(), groups_.end(),
                       [&](const QString& group) { return sameName(group, name); });
}

NET_API_STATUS Machine::addUser(const char16_t* serverName, std::uint32_t level, const void* buffer,
                                std::uint32_t* parmError)
{
    if (userAddFailure_) {
        const NET_API_STATUS status = *std::exchange(userAddFailure_, std::nullopt);
        if (status == platform::ERROR_INVALID_PARAMETER && parmError != nullptr) {
            *parmError = userAddFailureIndex_;
        }
        return status;
    }
    if (const auto serverFailure = checkServer(serverName)) {
        return *serverFailure;
    }
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
    if (isGroup(userName)) {
        return platform::ERROR_ALIAS_EXISTS;
    }
    if (findAccount(userName) != nullptr) {
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
    accounts_.push_back(account);
    return platform::NERR_Success;
}

const Account* Machine::findAccount(const QString& name) const
{
    const auto found =
        std::find_if(accounts_.begin(), accounts_.end(),
                     [&](const Account& account) { return sameName(account.name, name); });
    return found == accounts_.end() ? nullptr : &*found;
}

bool Machine::isPassword(const QString& accountName, const QString& candidate) const
{
    const Account* account = findAccount(accountName);
    return account != nullptr && !account->passwordHash.isEmpty() &&
           account->passwordHash ==
               passwordVerifier(account->passwordSalt,
                                {reinterpret_cast<const char16_t*>(candidate.utf16()),
                                 std::size_t(candidate.size())});
}

} // namespace emulated
