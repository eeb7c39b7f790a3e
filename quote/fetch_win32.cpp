#include "quote/fetch_win32.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "quote/quote_record.h"

namespace quote {
namespace {

constexpr char kHost[] = "hq.sinajs.cn";
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
// The service has answered 403 to requests without a referrer from its own site since 2022.
constexpr char kReferrer[] = "https://finance.sina.com.cn/";
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

// The caller is the window thread, so this bounds how long the ticker can freeze; a reply later
// than the refresh period would be stale anyway. The request itself keeps to a shorter limit, so
// that whatever it has read by then still reaches the caller.
constexpr std::chrono::milliseconds kCallerLimit(2500);
constexpr DWORD kRequestLimitMs = 2400;
constexpr DWORD kConnectLimitMs = 1000;
// Redirects are followed here rather than by WinINet, whose Wine version follows a redirect loop
// forever; each one is a new request under the same deadline.
constexpr int kMaxRedirects = 10;
// A quote is a few hundred bytes; anything much longer is not one.
constexpr size_t kBodyLimit = 64 * 1024;

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : end_(GetTickCount64() + milliseconds) {}
    DWORD remainingMs() const {
        const ULONGLONG now = GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }

private:
    ULONGLONG end_;
};

// Where one request goes.
struct Destination {
    std::string host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    bool secure = false;
    std::string path;

    std::string url() const {
        return (secure ? "https://" : "http://") + host + ":" + std::to_string(port) + path;
    }
};

// The handles of one request; the request is closed before its connection.
struct Exchange {
    InternetHandle connection;
    InternetHandle request;
};

// Opened at the first request and kept until the program ends; it holds the user-agent text and
// the system's proxy settings.
HINTERNET internetSession() {
    static InternetHandle session;
    if (!session) session.reset(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return session.get();
}

// The code goes out as typed, but a URL ends at "#", and a line break would end the request line
// early and send the rest as a header of its own.
Destination quoteDestination(const std::string& code) {
    return {kHost, INTERNET_DEFAULT_HTTP_PORT, false, "/list=" + code.substr(0, code.find_first_of("#\r\n"))};
}

// A timeout of 0 would mean no limit at all, so the smallest one asked for is 1 ms.
void setTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    DWORD value = std::max<DWORD>(milliseconds, 1);
    InternetSetOptionA(handle, option, &value, sizeof value);
}

// The wait for the answer starts once the request is out, and gets whatever time connecting left.
void CALLBACK onRequestStatus(HINTERNET request, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (status != INTERNET_STATUS_REQUEST_SENT) return;
    const auto* deadline = reinterpret_cast<const Deadline*>(context);
    setTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, deadline->remainingMs());
}

void limitWaits(HINTERNET request, const Deadline& deadline) {
    setTimeout(request, INTERNET_OPTION_CONNECT_TIMEOUT, std::min(kConnectLimitMs, deadline.remainingMs()));
    setTimeout(request, INTERNET_OPTION_SEND_TIMEOUT, deadline.remainingMs());
    setTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.remainingMs());
    InternetSetStatusCallbackA(request, onRequestStatus);
}

std::optional<Exchange> sendRequest(HINTERNET session, const Destination& to, const Deadline& deadline) {
    if (deadline.remainingMs() == 0) return std::nullopt;
    Exchange exchange;
    exchange.connection.reset(
        InternetConnectA(session, to.host.c_str(), to.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!exchange.connection) return std::nullopt;
    const char* acceptTypes[] = {"*/*", nullptr};
    // The deadline goes along as the request's context, for the status callback.
    const auto context = reinterpret_cast<DWORD_PTR>(&deadline);
    exchange.request.reset(HttpOpenRequestA(exchange.connection.get(), "GET", to.path.c_str(), "HTTP/1.0",
                                            kReferrer, acceptTypes,
                                            kRequestFlags | (to.secure ? INTERNET_FLAG_SECURE : 0), context));
    if (!exchange.request) return std::nullopt;
    limitWaits(exchange.request.get(), deadline);
    if (!HttpSendRequestA(exchange.request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;
    return exchange;
}

std::optional<std::string> responseHeader(HINTERNET request, DWORD info) {
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (!HttpQueryInfoA(request, info, buffer, &size, nullptr)) return std::nullopt;
    return std::string(buffer, size);
}

bool isRedirect(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        return false;
    }
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
           status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB;
}

std::optional<Destination> destinationOf(const std::string& url) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH];
    char path[INTERNET_MAX_PATH_LENGTH];
    char extra[INTERNET_MAX_PATH_LENGTH];
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    const std::string target = std::string(path) + extra;
    Destination destination{host, parts.nPort, parts.nScheme == INTERNET_SCHEME_HTTPS,
                            target.substr(0, target.find('#'))};
    if (destination.path.empty()) destination.path = "/";
    return destination;
}

// Where a redirect answer sends the request next; nothing when the answer is not a redirect or
// names no place to go, and so is the final answer.
std::optional<Destination> redirectDestination(HINTERNET request, const Destination& from) {
    if (!isRedirect(request)) return std::nullopt;
    const auto location = responseHeader(request, HTTP_QUERY_LOCATION);
    if (!location) return std::nullopt;
    char url[INTERNET_MAX_URL_LENGTH];
    DWORD size = sizeof url;
    if (!InternetCombineUrlA(from.url().c_str(), location->c_str(), url, &size, ICU_NO_ENCODE))
        return std::nullopt;
    return destinationOf(url);
}

// Reads no more than has arrived, so that a body that trickles in cannot hold the caller past
// the deadline; a read error keeps what was read before it.
std::string readBody(HINTERNET request, const Deadline& deadline) {
    std::string body;
    char buffer[4096];
    while (body.size() < kBodyLimit) {
        const DWORD remaining = deadline.remainingMs();
        if (remaining == 0) break;
        setTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, remaining);
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0) || available == 0) break;
        const DWORD wanted =
            static_cast<DWORD>(std::min<size_t>({available, sizeof buffer, kBodyLimit - body.size()}));
        DWORD read = 0;
        if (!InternetReadFile(request, buffer, wanted, &read) || read == 0) break;
        body.append(buffer, read);
    }
    return body;
}

std::string fetchFrom(HINTERNET session, Destination destination) {
    const Deadline deadline(kRequestLimitMs);
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
        const auto exchange = sendRequest(session, destination, deadline);
        if (!exchange) return {};
        const auto next = redirectDestination(exchange->request.get(), destination);
        if (!next) return std::string(replyTextOf(readBody(exchange->request.get(), deadline)));
        destination = *next;
    }
    return {};
}

// Runs one request at a time on a thread kept for the program's life (starting a thread for each
// refresh would cost more than the request itself), and waits for it no longer than the caller can
// be held: Wine's WinINet ignores the connect timeout, and nothing bounds a name lookup. A request
// that outlives the wait finishes by itself; until it has, new requests fail at once rather than
// pile up behind it.
class RequestWorker {
public:
    RequestWorker() = default;
    RequestWorker(const RequestWorker&) = delete;
    RequestWorker& operator=(const RequestWorker&) = delete;

    // Only a request stuck in the system at the program's end is left to the process exit; the
    // thread keeps the state it shares alive until then.
    ~RequestWorker() {
        bool stuck = false;
        {
            std::lock_guard<std::mutex> guard(shared_->lock);
            shared_->quitting = true;
            stuck = shared_->busy;
        }
        shared_->wake.notify_all();
        if (!thread_.joinable()) return;
        if (stuck) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }

    std::optional<std::string> run(std::function<std::string()> request, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> guard(shared_->lock);
        if (shared_->busy || !started()) return std::nullopt;
        const std::uint64_t ticket = ++shared_->submitted;
        shared_->request = std::move(request);
        shared_->busy = true;
        shared_->wake.notify_all();
        if (!shared_->done.wait_for(guard, limit, [&] { return shared_->finished == ticket; })) return std::nullopt;
        return std::move(shared_->reply);
    }

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable wake;  // a request is waiting, or the program ends
        std::condition_variable done;  // a request has finished
        std::function<std::string()> request;
        bool busy = false;
        bool quitting = false;
        std::uint64_t submitted = 0;
        std::uint64_t finished = 0;
        std::string reply;
    };

    // Called with the lock held. A thread that cannot be started is one more failed request.
    bool started() {
        if (thread_.joinable()) return true;
        try {
            thread_ = std::thread(serve, shared_);
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    static void serve(std::shared_ptr<Shared> shared) {
        std::unique_lock<std::mutex> guard(shared->lock);
        for (;;) {
            shared->wake.wait(guard, [&] { return shared->quitting || shared->request; });
            if (!shared->request) return;
            const std::function<std::string()> request = std::move(shared->request);
            shared->request = nullptr;
            guard.unlock();
            std::string reply;
            try {
                reply = request();
            } catch (...) {
                reply.clear();
            }
            guard.lock();
            shared->reply = std::move(reply);
            shared->finished = shared->submitted;
            shared->busy = false;
            shared->done.notify_all();
        }
    }

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::thread thread_;
};

}  // namespace

std::string fetchQuoteText(const std::string& code) {
    HINTERNET session = internetSession();
    if (!session) return {};
    static RequestWorker worker;
    const Destination destination = quoteDestination(code);
    return worker.run([session, destination] { return fetchFrom(session, destination); }, kCallerLimit)
        .value_or("");
}

}  // namespace quote
