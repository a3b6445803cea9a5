// A network source whose host takes the connection and never answers: the import ends
// with a message instead of waiting for ever. A hang fails through the test's time-out.
#ifndef _WIN32
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "dem/import_dem.h"
#include "support/terrain_fixture.h"

namespace quarnby {
namespace {

// Listens on 127.0.0.1, takes every connection and never sends a byte.
class SilentHost {
 public:
  SilentHost() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      pollfd wait{listener_, POLLIN, 0};
      while (!stop_)
        if (poll(&wait, 1, 50) > 0) held_.push_back(accept(listener_, nullptr, nullptr));
    });
  }
  ~SilentHost() {
    stop_ = true;
    thread_.join();
    for (int fd : held_) close(fd);
    close(listener_);
  }
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::vector<int> held_;
  std::thread thread_;
};

struct NetworkSource : testing::TerrainFixture {
  NetworkSource() : TerrainFixture("Alps") {}
};

TEST_F(NetworkSource, AHostThatNeverAnswersEndsTheImportWithAMessage) {
  SilentHost host;
  const std::string url = "/vsicurl/http://127.0.0.1:" + std::to_string(host.port()) + "/dem.tif";
  testing::writeBytes(file(suffix::kTerragen), {'o', 'l', 'd'});
  DemImportRequest request;
  request.sources = {url};
  EXPECT_EQ(ImportDem_Click(h.cx, request), Outcome::EndedEarly);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text.rfind("Can't open the elevation source:\r\n" + url + "\r\n", 0), 0u)
      << h.host.messages[0].text;
  EXPECT_EQ(testing::readBytes(file(suffix::kTerragen)), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace quarnby
#endif
