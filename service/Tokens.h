// Bearer tokens with roles, from the tokens file: one "ROLE TOKEN" pair a
// line, '#' starts a comment. Roles, each allowing what the one before it
// allows:
//   monitor     GET /metrics, the printers and their status
//   pos         receipts
//   owner       reports
//   technician  clock and recovery
// Only a digest of each token is kept, and a token is looked up in constant
// time (every entry compared in full, whatever matches).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace darvo::service {

enum class Role { Monitor = 0, Pos = 1, Owner = 2, Technician = 3 };
const char *RoleName(Role role);

constexpr size_t kMinTokenChars = 16;
using Digest = std::array<uint8_t, 32>; // SHA-256

Digest Sha256(std::string_view data);
std::string Hex(const Digest &digest);

class Tokens {
  public:
    // Reads the file; false with `error` (naming the line) for a file that
    // cannot be read, that group or others may read or write, or with a bad
    // line. Nothing of the token itself is ever put in `error`.
    bool Load(const std::string &path, std::string &error);
    // The file the administrator keeps, when the service reads a copy of it
    // (systemd's credentials): only its owner may read or write it either.
    // A file that is not there passes unless `required`.
    static bool CheckOrigin(const std::string &path, bool required, std::string &error);
    // The lines of a tokens file; false with `error` for a bad line.
    bool Parse(std::string_view text, std::string &error);
    // The role of a presented token, if any.
    std::optional<Role> RoleOf(std::string_view token) const;
    size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        Digest digest;
        Role role;
    };
    std::vector<Entry> entries_;
};

} // namespace darvo::service
