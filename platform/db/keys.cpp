#include "platform/db/keys.h"

#include <fcntl.h>
#include <nettle/pbkdf2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>

#include "platform/db/db.h"
#include "platform/db/testing.h"
#include "platform/secure/wipe.h"

namespace db {

namespace {

// SQLCipher 3's defaults, which every file this layer opens was made with.
constexpr unsigned kRounds = 64000;
constexpr std::size_t kKeyBytes = 32;
constexpr std::size_t kSaltBytes = 16;
// One program reaches one or two files; tests reach many. Older keys go.
constexpr std::size_t kKeptKeys = 8;

using Salt = std::array<std::uint8_t, kSaltBytes>;
using Key = std::array<std::uint8_t, kKeyBytes>;

// Which file, as it is now: a file replaced under the same name is another
// file, and a rekeyed or recreated one shows its own salt.
struct FileSalt {
    dev_t device = 0;
    ino_t inode = 0;
    Salt salt{};
};

std::optional<FileSalt> read_salt(const std::string& file)
{
    if (file.empty() || file.find('\0') != std::string::npos) return std::nullopt;
    // Without O_NONBLOCK a FIFO in the database's place would hold the
    // reader until someone writes to it: for ever, at start-up.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    FileSalt found;
    struct stat status {};
    const bool read = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                      ::pread(fd, found.salt.data(), kSaltBytes, 0) == static_cast<ssize_t>(kSaltBytes);
    ::close(fd);
    if (!read) return std::nullopt;
    found.device = status.st_dev;
    found.inode = status.st_ino;
    return found;
}

struct KeptKey {
    FileSalt file;
    std::string password;
    Key key{};
    bool ready = false;    // false while one thread derives it
    bool dropped = false;  // forgotten while being derived

    ~KeptKey()
    {
        secure::wipe(password);
        secure::fill(key.data(), key.size(), 0);
    }
    bool matches(const FileSalt& other, const std::string& other_password) const
    {
        return file.device == other.device && file.inode == other.inode && file.salt == other.salt &&
               password == other_password;
    }
};

struct Keys {
    std::mutex mutex;
    std::condition_variable derived;
    // A list, so an entry stays where it is while its key is derived outside
    // the lock.
    std::list<KeptKey> kept;
    unsigned long derivations = 0;
    unsigned long raw_opens = 0;
};

Keys& keys()
{
    static Keys instance;
    return instance;
}

detail::RawKey raw_form(const Key& key, const Salt& salt)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(3 + 2 * (kKeyBytes + kSaltBytes));
    text += "x'";
    for (const std::uint8_t byte : key) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0f];
    }
    for (const std::uint8_t byte : salt) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0f];
    }
    text += '\'';
    return detail::RawKey(std::move(text));
}

// Drops ready keys beyond the limit, oldest first. Keys still being derived
// belong to their thread until it is done.
void trim(std::list<KeptKey>& kept)
{
    std::size_t count = 0;
    for (auto it = kept.begin(); it != kept.end();) {
        if (it->ready && ++count > kKeptKeys) {
            it = kept.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace

namespace detail {

RawKey::~RawKey() { secure::wipe(text_); }

RawKey raw_key_for(const std::string& file, const std::string& password)
{
    if (password.empty()) return RawKey();
    const std::optional<FileSalt> found = read_salt(file);
    if (!found) return RawKey();

    // Made before the lock is taken: once an entry is in the list as being
    // derived, nothing may fail before it is finished, or its waiters would
    // wait for ever.
    std::list<KeptKey> mine;
    mine.emplace_back();
    mine.back().file = *found;
    mine.back().password = password;

    Keys& k = keys();
    std::unique_lock lock(k.mutex);
    for (;;) {
        auto it = k.kept.begin();
        while (it != k.kept.end() && (it->dropped || !it->matches(*found, password))) ++it;
        if (it == k.kept.end()) break;
        if (it->ready) return raw_form(it->key, found->salt);
        // Another thread is deriving this very key: wait for it rather than
        // pay for it twice. It may be dropped meanwhile; then look again.
        k.derived.wait(lock);
    }
    const auto entry = mine.begin();
    k.kept.splice(k.kept.begin(), mine, entry);
    ++k.derivations;
    lock.unlock();

    struct WipedKey {
        Key bytes{};
        ~WipedKey() { secure::fill(bytes.data(), bytes.size(), 0); }
    } derived;
    Key& key = derived.bytes;
    pbkdf2_hmac_sha1(password.size(), reinterpret_cast<const std::uint8_t*>(password.data()), kRounds,
                     kSaltBytes, found->salt.data(), kKeyBytes, key.data());

    lock.lock();
    if (entry->dropped) {
        k.kept.erase(entry);
    } else {
        entry->key = key;
        entry->ready = true;
        // The newest first: the key a program goes on using.
        k.kept.splice(k.kept.begin(), k.kept, entry);
        trim(k.kept);
    }
    lock.unlock();
    k.derived.notify_all();

    return raw_form(key, found->salt);
}

void count_raw_key_open()
{
    Keys& k = keys();
    std::lock_guard lock(k.mutex);
    ++k.raw_opens;
}

KeyCounts key_counts()
{
    Keys& k = keys();
    std::lock_guard lock(k.mutex);
    return KeyCounts{k.derivations, k.raw_opens};
}

}  // namespace detail

void forget_derived_keys()
{
    Keys& k = keys();
    {
        std::lock_guard lock(k.mutex);
        for (auto it = k.kept.begin(); it != k.kept.end();) {
            if (it->ready) {
                it = k.kept.erase(it);
            } else {
                it->dropped = true;
                ++it;
            }
        }
    }
    k.derived.notify_all();
}

}  // namespace db
