#include "phone_desk.h"

#include <nlohmann/json.hpp>

#include "phone_page.h"
#include "phone_token.h"

namespace quillmark {
namespace {

std::vector<std::string_view> PathParts(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t slash = path.find('/', at);
        if (slash == std::string_view::npos) slash = path.size();
        parts.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return parts;  // "/t/a" gives "", "t", "a"; a trailing slash gives a last ""
}

bool FourDigits(std::string_view text) {
    if (text.size() != 4) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

HttpReply Json(const nlohmann::json& value, int status = 200) {
    HttpReply reply;
    reply.status = status;
    reply.body = value.dump();
    return reply;
}

}  // namespace

HttpReply JsonError(int status, const std::string& message) { return Json({{"error", message}}, status); }

PhoneDesk::PhoneDesk(std::string token, PhoneInbox& inbox, PhoneLimits limits)
    : token_(std::move(token)), inbox_(inbox), limits_(limits) {}

void PhoneDesk::Revoke() {
    std::lock_guard lock(mutex_);
    revoked_ = true;
}

void PhoneDesk::SetCard(const std::string& id, std::string cardJson) {
    std::lock_guard lock(mutex_);
    cards_[id] = std::move(cardJson);
}

HttpReply PhoneDesk::Handle(const HttpRequest& request) {
    std::vector<std::string_view> parts = PathParts(request.path);
    {
        std::lock_guard lock(mutex_);
        bool tokenGiven = !revoked_ && parts.size() >= 2 && parts[0].empty() && SameToken(parts[1], token_);
        if (tokenGiven && parts.size() == 2) {
            // The address typed without its last slash: the page's links need it.
            HttpReply moved;
            moved.status = 301;
            moved.contentType = "text/plain; charset=utf-8";
            moved.headers.emplace_back("Location", "/" + token_ + "/");
            return moved;
        }
        if (!tokenGiven) {
            HttpReply refused;
            refused.status = 403;
            refused.contentType = "text/plain; charset=utf-8";
            refused.body = kTokenRefused;
            return refused;
        }
    }
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    std::string_view what = parts[2];
    if (what == "status" && parts.size() == 3 && get) {
        HttpReply reply;
        reply.body = summary ? summary() : "{}";
        return reply;
    }
    if (parts.size() == 3 && get) {
        const PhonePageFile* file = FindPhonePageFile(what.empty() ? "index.html" : what);
        if (!file) return JsonError(404, "没有这个页面");
        HttpReply reply;
        reply.contentType = std::string(file->contentType);
        reply.body = std::string(file->text);
        reply.headers.emplace_back("Cache-Control", "no-store");
        return reply;
    }
    if (what == "roster" && parts.size() == 4 && get) {
        std::string number(parts[3]);
        std::optional<std::string> name;
        if (FourDigits(number) && rosterName) name = rosterName(number);
        if (!name) return JsonError(404, "名册中没有这个考号");
        return Json({{"number", number}, {"name", *name}});
    }
    if (what == "photos" && (parts.size() == 4 || parts.size() == 5)) {
        std::string id(parts[3]);
        if (!ValidPhotoId(id)) return JsonError(400, "照片编号无效");
        if (parts.size() == 4 && post) return Upload(id, request.body);
        if (parts.size() == 4 && get) return Card(id);
        if (parts.size() == 5 && parts[4] == "number" && post) return GiveNumber(id, request.body);
    }
    if (!get && !post) return JsonError(405, "不支持的请求");
    return JsonError(404, "没有这个页面");
}

HttpReply PhoneDesk::Upload(const std::string& id, std::string_view body) {
    if (body.size() > limits_.maxBodyBytes) return JsonError(413, "照片太大（最多 12 MB），请降低相机分辨率后重拍");
    PhotoKind kind = SniffPhoto(body);
    if (kind.format == PhotoKind::None) return JsonError(415, "只接受 JPEG 或 PNG 照片");
    if (kind.width == 0 || kind.height == 0 ||
        std::uint64_t{kind.width} * kind.height > limits_.maxPixels) {
        return JsonError(413, "照片像素过多或无法读取尺寸，请降低相机分辨率后重拍");
    }
    Acceptance accepted = inbox_.Accept(id, body, kind);
    if (!accepted.status.ok()) return JsonError(500, "电脑无法保存照片：" + accepted.status.message());
    nlohmann::json reply = {{"id", id}, {"state", "received"}};
    if (accepted.repeat) {
        reply["duplicate"] = true;
        if (accepted.photo.id != id) reply["same_as"] = accepted.photo.id;
        return Json(reply);
    }
    SetCard(id, nlohmann::json({{"id", id}, {"state", "waiting"}}).dump());
    if (onPhoto) onPhoto(accepted.photo);
    return Json(reply);
}

HttpReply PhoneDesk::Card(const std::string& id) const {
    InboxPhoto photo;
    if (!inbox_.Find(id, photo)) return JsonError(404, "电脑上没有这张照片，请重新上传");
    std::lock_guard lock(mutex_);
    auto card = cards_.find(id);
    HttpReply reply;
    reply.body = card != cards_.end() ? card->second : nlohmann::json({{"id", id}, {"state", "waiting"}}).dump();
    return reply;
}

HttpReply PhoneDesk::GiveNumber(const std::string& id, std::string_view body) {
    std::string number(body.substr(0, 16));
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r' || number.back() == ' ')) number.pop_back();
    if (!FourDigits(number)) return JsonError(400, "考号必须是 4 位数字");
    InboxPhoto photo;
    if (!inbox_.Find(id, photo)) return JsonError(404, "电脑上没有这张照片，请重新上传");
    if (Status status = inbox_.SetNumber(id, number); !status.ok()) {
        return JsonError(500, "电脑无法保存考号：" + status.message());
    }
    inbox_.Find(id, photo);
    SetCard(id, nlohmann::json({{"id", id}, {"state", "waiting"}}).dump());
    if (onNumber) onNumber(photo);
    return Json({{"id", id}, {"state", "waiting"}});
}

}  // namespace quillmark
