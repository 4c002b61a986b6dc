// A TCP relay that holds every chunk it carries for a fixed time in each direction, so that a
// program talking through it sees a round-trip time of twice that delay (for machines whose
// kernel has no netem).
//
//   nestwalk_latency_relay [--freeze=COUNT@LISTEN] DELAY_MS LIFETIME_S LISTEN=TARGET...
//
// LISTEN and TARGET are IPv4 address:port pairs on loopback (127.0.0.0/8). The relay accepts
// on every LISTEN, opens a connection to its TARGET for each accepted one, and forwards the
// bytes in both directions, each chunk no sooner than DELAY_MS after it was read and in the
// order read. It stops by itself after LIFETIME_S seconds, or on SIGTERM/SIGINT.
//
// With --freeze the relay plays a server that hangs: once one connection accepted on that LISTEN
// has sent its COUNT-th chunk (one read of what the client wrote, which on loopback is one
// request), that chunk and everything after it stays where it is. Every connection is kept
// open, nothing more is forwarded either way, and connections accepted from then on are held
// open without an answer.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A file descriptor closed with its owner.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::optional<sockaddr_in> LoopbackAddress(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  if (inet_pton(AF_INET, text.substr(0, colon).c_str(), &address.sin_addr) != 1)
    return std::nullopt;
  // Only this machine's own loopback network: the relay never reaches out of it.
  if ((ntohl(address.sin_addr.s_addr) >> 24) != 127) return std::nullopt;
  const int port = std::atoi(text.c_str() + colon + 1);
  if (port < 1 || port > 65535) return std::nullopt;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

struct Chunk {
  Clock::time_point due;
  std::string bytes;
};

// One direction of a relayed connection: what was read from `from` waits here for `to`.
struct Direction {
  std::deque<Chunk> queue;
  bool readerClosed = false;
};

struct Session {
  Fd client;
  Fd server;
  Direction up;    // client -> server
  Direction down;  // server -> client
  bool dead = false;
  bool counted = false;  // accepted on the LISTEN of --freeze
  int clientChunks = 0;
};

struct Listener {
  Fd fd;
  sockaddr_in target;
  std::string address;  // as given
};

// --freeze=COUNT@LISTEN; count 0: never.
struct FreezePoint {
  int count = 0;
  std::string listen;
};

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }
void SetNoDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Reads what `fd` has into `direction`, due `delay` from now. A chunk that `holds` says to keep
// is read but never queued.
template <typename Holds>
void Pull(int fd, Direction& direction, Clock::duration delay, Holds holds) {
  char buffer[65536];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  if (got > 0) {
    if (!holds()) {
      direction.queue.push_back(
          {Clock::now() + delay, std::string(buffer, static_cast<std::size_t>(got))});
    }
    return;
  }
  if (got == 0 || (errno != EAGAIN && errno != EINTR)) direction.readerClosed = true;
}

// Writes the chunks that are due. False on a write failure.
bool Push(int fd, Direction& direction) {
  const Clock::time_point now = Clock::now();
  while (!direction.queue.empty() && direction.queue.front().due <= now) {
    std::string& bytes = direction.queue.front().bytes;
    const ssize_t put = write(fd, bytes.data(), bytes.size());
    if (put < 0) return errno == EAGAIN || errno == EINTR;
    bytes.erase(0, static_cast<std::size_t>(put));
    if (!bytes.empty()) return true;
    direction.queue.pop_front();
  }
  return true;
}

std::optional<Session> Connect(int client, const sockaddr_in& target) {
  Fd server(socket(AF_INET, SOCK_STREAM, 0));
  if (server.get() < 0 ||
      connect(server.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    close(client);
    return std::nullopt;
  }
  Session session;
  session.client = Fd(client);
  session.server = std::move(server);
  for (int fd : {session.client.get(), session.server.get()}) {
    SetNonBlocking(fd);
    SetNoDelay(fd);
  }
  return session;
}

// COUNT@LISTEN after "--freeze="; nullopt when it is not of that form.
std::optional<FreezePoint> ParseFreeze(const std::string& text) {
  const std::size_t at = text.find('@');
  if (at == std::string::npos) return std::nullopt;
  FreezePoint point{std::atoi(text.substr(0, at).c_str()), text.substr(at + 1)};
  if (point.count < 1 || !LoopbackAddress(point.listen)) return std::nullopt;
  return point;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr std::string_view kFreeze = "--freeze=";
  FreezePoint freeze;
  int first = 1;
  if (argc > 1 && std::string_view(argv[1]).starts_with(kFreeze)) {
    std::optional<FreezePoint> parsed = ParseFreeze(argv[1] + kFreeze.size());
    if (!parsed) {
      std::fprintf(stderr, "latency_relay: %s is not --freeze=COUNT@LISTEN\n", argv[1]);
      return 2;
    }
    freeze = *parsed;
    first = 2;
  }
  if (argc < first + 3) {
    std::fprintf(stderr, "usage: %s [--freeze=COUNT@LISTEN] DELAY_MS LIFETIME_S LISTEN=TARGET...\n",
                 argv[0]);
    return 2;
  }
  const auto delay = std::chrono::milliseconds(std::atoi(argv[first]));
  const Clock::time_point end = Clock::now() + std::chrono::seconds(std::atoi(argv[first + 1]));
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  std::signal(SIGPIPE, SIG_IGN);

  std::vector<Listener> listeners;
  for (int i = first + 2; i < argc; ++i) {
    const std::string pair = argv[i];
    const std::size_t equals = pair.find('=');
    const std::optional<sockaddr_in> listen_at =
        equals == std::string::npos ? std::nullopt : LoopbackAddress(pair.substr(0, equals));
    const std::optional<sockaddr_in> target =
        equals == std::string::npos ? std::nullopt : LoopbackAddress(pair.substr(equals + 1));
    if (!listen_at || !target) {
      std::fprintf(stderr, "latency_relay: %s is not a loopback LISTEN=TARGET pair\n", argv[i]);
      return 2;
    }
    Fd fd(socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&*listen_at), sizeof *listen_at) != 0 ||
        listen(fd.get(), 64) != 0) {
      std::perror("latency_relay: listen");
      return 1;
    }
    SetNonBlocking(fd.get());
    listeners.push_back({std::move(fd), *target, pair.substr(0, equals)});
  }

  std::vector<std::unique_ptr<Session>> sessions;
  std::vector<Fd> held;  // accepted while frozen: open, never answered
  bool frozen = false;
  while (!stopRequested && Clock::now() < end) {
    std::vector<pollfd> fds;
    for (const Listener& listener : listeners) fds.push_back({listener.fd.get(), POLLIN, 0});
    Clock::time_point wake = end;
    for (const auto& s : sessions) {
      if (frozen) break;
      const short upOut = s->up.queue.empty() ? 0 : POLLOUT;
      const short downOut = s->down.queue.empty() ? 0 : POLLOUT;
      fds.push_back(
          {s->client.get(), static_cast<short>((s->up.readerClosed ? 0 : POLLIN) | downOut), 0});
      fds.push_back(
          {s->server.get(), static_cast<short>((s->down.readerClosed ? 0 : POLLIN) | upOut), 0});
      for (const Direction* d : {&s->up, &s->down}) {
        if (!d->queue.empty() && d->queue.front().due < wake) wake = d->queue.front().due;
      }
    }
    // Sessions accepted below have no place in `fds` until the next round.
    const std::size_t polled = frozen ? 0 : sessions.size();
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now());
    poll(fds.data(), fds.size(),
         static_cast<int>(std::max<long>(0, std::min<long>(wait.count(), 1000))));

    for (std::size_t i = 0; i < listeners.size(); ++i) {
      if ((fds[i].revents & POLLIN) == 0) continue;
      const int client = accept(listeners[i].fd.get(), nullptr, nullptr);
      if (client < 0) continue;
      if (frozen) {
        held.emplace_back(client);
      } else if (std::optional<Session> session = Connect(client, listeners[i].target)) {
        session->counted = listeners[i].address == freeze.listen;
        sessions.push_back(std::make_unique<Session>(std::move(*session)));
      }
    }
    std::size_t at = listeners.size();
    for (std::size_t k = 0; k < polled && !frozen; ++k) {
      Session* s = sessions[k].get();
      const short clientEvents = fds[at++].revents;
      const short serverEvents = fds[at++].revents;
      // The chunk that reaches the freeze point is the first one held.
      const auto freezesHere = [&] {
        frozen = frozen || (s->counted && ++s->clientChunks == freeze.count);
        return frozen;
      };
      if (clientEvents & (POLLIN | POLLHUP | POLLERR)) {
        Pull(s->client.get(), s->up, delay, freezesHere);
      }
      if (frozen) break;  // nothing more moves
      if (serverEvents & (POLLIN | POLLHUP | POLLERR)) {
        Pull(s->server.get(), s->down, delay, [] { return false; });
      }
      if (!Push(s->server.get(), s->up) || !Push(s->client.get(), s->down)) s->dead = true;
      // A side that closed ends the session once what it sent has been delivered.
      const bool upDone = s->up.readerClosed && s->up.queue.empty();
      const bool downDone = s->down.readerClosed && s->down.queue.empty();
      if (upDone || downDone) s->dead = true;
    }
    if (!frozen) std::erase_if(sessions, [](const auto& s) { return s->dead; });
  }
  return 0;
}
