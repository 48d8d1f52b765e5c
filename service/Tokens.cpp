#include "Tokens.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace darvo::service {

namespace {

constexpr struct {
    const char *name;
    Role role;
} kRoles[] = {
    {"monitor", Role::Monitor}, {"pos", Role::Pos}, {"owner", Role::Owner}, {"technician", Role::Technician}};

constexpr size_t kMaxTokensFile = 1 << 20;

} // namespace

const char *RoleName(Role role) {
    for (const auto &r : kRoles)
        if (r.role == role) return r.name;
    return "?";
}

Digest Sha256(std::string_view data) {
    Digest d{};
    unsigned int length = 0;
    EVP_Digest(data.data(), data.size(), d.data(), &length, EVP_sha256(), nullptr);
    return d;
}

std::string Hex(const Digest &digest) {
    std::string out;
    char b[3];
    for (uint8_t v : digest) {
        std::snprintf(b, sizeof b, "%02x", v);
        out += b;
    }
    return out;
}

namespace {

bool OwnerOnly(const std::string &path, const struct stat &st, std::string &error) {
    if (!(st.st_mode & (S_IRWXG | S_IRWXO))) return true;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    error = "tokens file " + path + ": group or others may read or write it (mode " + mode +
            "); only its owner may (chmod 600 " + path + ")";
    return false;
}

} // namespace

bool Tokens::CheckOrigin(const std::string &path, bool required, std::string &error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (!required && errno == ENOENT) return true;
        error = "tokens file " + path + ": " + std::strerror(errno);
        return false;
    }
    return OwnerOnly(path, st, error);
}

bool Tokens::Load(const std::string &path, std::string &error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = "tokens file " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    std::string text;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok || !S_ISREG(st.st_mode)) {
        error = "tokens file " + path + ": not a regular file";
    } else if (!OwnerOnly(path, st, error)) {
        ok = false;
    } else if (st.st_size > static_cast<off_t>(kMaxTokensFile)) {
        error = "tokens file " + path + ": larger than 1 MiB";
        ok = false;
    } else {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= kMaxTokensFile)
            text.append(buffer, static_cast<size_t>(n));
        if (n < 0) {
            error = "tokens file " + path + ": " + std::strerror(errno);
            ok = false;
        }
    }
    ::close(fd);
    if (ok && !Parse(text, error)) {
        error = "tokens file " + path + ": " + error;
        ok = false;
    }
    if (ok && entries_.empty()) {
        error = "tokens file " + path + ": no tokens";
        ok = false;
    }
    if (!ok) entries_.clear();
    return ok;
}

bool Tokens::Parse(std::string_view text, std::string &error) {
    entries_.clear();
    std::istringstream in{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string role, token, extra;
        words >> role;
        if (role.empty() || role[0] == '#') continue;
        words >> token >> extra;
        const std::string where = "line " + std::to_string(number) + ": ";
        std::optional<Role> r;
        for (const auto &k : kRoles)
            if (role == k.name) r = k.role;
        if (!r) {
            error = where + "unknown role (monitor, pos, owner or technician)";
            return false;
        }
        if (token.empty() || !extra.empty()) {
            error = where + "one role and one token, separated by blanks";
            return false;
        }
        bool printable = true;
        for (unsigned char c : token)
            printable = printable && c > ' ' && c < 0x7F;
        if (!printable || token.size() < kMinTokenChars) {
            error = where + "a token is at least " + std::to_string(kMinTokenChars) +
                    " printable ASCII characters without blanks";
            return false;
        }
        const Digest d = Sha256(token);
        for (const Entry &e : entries_)
            if (e.digest == d) {
                error = where + "a token given twice";
                return false;
            }
        entries_.push_back({d, *r});
    }
    return true;
}

std::optional<Role> Tokens::RoleOf(std::string_view token) const {
    const Digest d = Sha256(token);
    std::optional<Role> role;
    // Every entry is compared in full: the time says nothing about which matched.
    for (const Entry &e : entries_)
        if (CRYPTO_memcmp(d.data(), e.digest.data(), d.size()) == 0) role = e.role;
    return token.empty() ? std::nullopt : role;
}

} // namespace darvo::service
