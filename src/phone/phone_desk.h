#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phone_inbox.h"

namespace quillmark {

// One request as the phone page's server hands it over, and the reply to send.
struct HttpRequest {
    std::string method;  // "GET", "POST"
    std::string path;    // without the query
    std::string_view body;
};

struct HttpReply {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// What one request may cost. The server enforces the connection limits; the desk the rest.
struct PhoneLimits {
    std::size_t maxBodyBytes = std::size_t{12} << 20;  // a 12-megapixel JPEG is 3 to 6 MB
    std::size_t maxHeadBytes = 16 << 10;
    std::uint64_t maxPixels = 50'000'000;
    int maxConnections = 32;
    int maxUploadsAtOnce = 4;  // bodies being received at once
    int requestSeconds = 30;   // from the connection's first byte to the reply
};

// Every response says the page may load nothing from elsewhere and run no inline code.
inline constexpr char kPhoneContentPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
    "form-action 'none'; frame-ancestors 'none'; base-uri 'none'";

inline constexpr char kTokenRefused[] = "链接无效或已过期，请重新扫描电脑上的二维码";

// The phone page's rules, without a socket: the token on every path, what an upload may be,
// where a photo goes (the inbox, under a name of our own), and what each photo's card says.
// The marking side is told of photos through the callbacks and sets the cards.
class PhoneDesk {
public:
    PhoneDesk(std::string token, PhoneInbox& inbox, PhoneLimits limits = {});

    HttpReply Handle(const HttpRequest& request);

    // From now on every request is refused (the page was closed to phones).
    void Revoke();
    const std::string& Token() const { return token_; }
    const PhoneLimits& Limits() const { return limits_; }

    // A card as JSON text; photos without one read as waiting.
    void SetCard(const std::string& id, std::string cardJson);

    // A new photo is in the inbox: mark it. A number was given for one: mark it again.
    std::function<void(const InboxPhoto&)> onPhoto;
    std::function<void(const InboxPhoto&)> onNumber;
    // The roster's name for a number, if the roster has it.
    std::function<std::optional<std::string>(const std::string& number)> rosterName;
    // The paper, roster and count for the page's heading, as JSON.
    std::function<std::string()> summary;

private:
    HttpReply Upload(const std::string& id, std::string_view body);
    HttpReply Card(const std::string& id) const;
    HttpReply GiveNumber(const std::string& id, std::string_view body);

    mutable std::mutex mutex_;
    std::string token_;
    bool revoked_ = false;
    PhoneInbox& inbox_;
    PhoneLimits limits_;
    std::map<std::string, std::string> cards_;
};

HttpReply JsonError(int status, const std::string& message);

}  // namespace quillmark
