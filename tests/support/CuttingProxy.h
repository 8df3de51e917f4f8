// A TCP relay on 127.0.0.1 between one client and the Firebird server that
// can go deaf: once armed, it relays the server's next answer and from then on
// passes nothing the client sends, only counts it, as a server that has
// stopped answering on an attachment it tears down. A client that then sends
// anything has asked a question that would never be answered.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace support {

class CuttingProxy {
 public:
  CuttingProxy(int serverPort) : serverPort_(serverPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 1) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("the proxy cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    relay_ = std::thread([this] { Relay(); });
  }
  CuttingProxy(const CuttingProxy&) = delete;
  CuttingProxy& operator=(const CuttingProxy&) = delete;
  ~CuttingProxy() {
    stop_ = true;
    relay_.join();
    ::close(listener_);
  }

  int port() const { return port_; }
  // From the server's next answer on, nothing the client sends gets through.
  void Arm() { armed_ = true; }
  bool Deaf() const { return deaf_; }
  long BytesHeldBack() const { return heldBack_; }

 private:
  static sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  // One client. Once deaf, whatever the client sends is counted and its
  // connection closed, so that a client waiting for an answer fails at once
  // instead of waiting for ever.
  void Relay() {
    int client = -1;
    int server = -1;
    char buffer[65536];
    while (!stop_) {
      pollfd watched[2] = {{client < 0 ? listener_ : client, POLLIN, 0}, {server, POLLIN, 0}};
      if (::poll(watched, server < 0 ? 1 : 2, 50) <= 0) continue;
      if (client < 0) {
        client = ::accept(listener_, nullptr, nullptr);
        server = ::socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in address = Loopback(serverPort_);
        if (::connect(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) break;
        continue;
      }
      if (watched[0].revents != 0) {
        const ssize_t got = ::read(client, buffer, sizeof buffer);
        if (got <= 0) break;
        if (deaf_) {
          heldBack_ += got;
          break;
        }
        if (::write(server, buffer, static_cast<std::size_t>(got)) != got) break;
      }
      if (server >= 0 && watched[1].revents != 0) {
        const ssize_t got = ::read(server, buffer, sizeof buffer);
        if (got > 0 && !deaf_ && ::write(client, buffer, static_cast<std::size_t>(got)) != got) break;
        if (armed_) deaf_ = true;
        if (got <= 0) {
          if (!deaf_) break;
          ::close(server);  // the server hung up; the client is still heard
          server = -1;
        }
      }
    }
    if (client >= 0) ::close(client);
    if (server >= 0) ::close(server);
  }

  int serverPort_;
  int listener_ = -1;
  int port_ = 0;
  std::thread relay_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> armed_{false};
  std::atomic<bool> deaf_{false};
  std::atomic<long> heldBack_{0};
};

}  // namespace support
