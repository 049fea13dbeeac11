// The usbtmc transport: finding the instrument's node in a sysfs tree, the failures of opening
// it, and how a read ends over the chunks the driver delivers.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "support/ScratchFolder.h"
#include "support/SysfsTree.h"
#include "visa/ResourceManager.h"
#include "visa/UsbtmcTransport.h"

namespace tevra::visa {
namespace {

using testing::SysfsTree;

TEST(UsbtmcNode, MatchesVendorProductSerialAndInterface) {
  SysfsTree tree;
  const std::string seen = "; 3 usbtmc devices seen in " + tree.roots.sysfs +
                           "/class/usbmisc: usbtmc0 0x0957::0x1796::MY123, usbtmc1 "
                           "0x0957::0x1796::MY123, usbtmc2 0x0AAD::0x01B0::MY456";
  const struct {
    const char* resource;
    const char* node;  // empty: not found, with detail
    std::string detail;
  } cases[] = {
      {"USB0::0x0957::0x1796::MY123::INSTR", "usbtmc0", ""},
      {"USB0::0x0957::0x1796::MY123::2::INSTR", "usbtmc1", ""},
      {"USB::0x0AAD::0x01B0::MY456", "usbtmc2", ""},
      {"USB::0x0AAD::0x01B0::MY456::1::INSTR", "usbtmc2", ""},
      {"USB::0x0957::0x1796::MY999::INSTR", "", "no usbtmc device is 0x0957::0x1796::MY999" + seen},
      {"USB::0x0957::0x01B0::MY123::INSTR", "", "no usbtmc device is 0x0957::0x01B0::MY123" + seen},
      {"USB::0x0AAD::0x01B0::MY456::0::INSTR", "",
       "no usbtmc device is 0x0AAD::0x01B0::MY456::0; 3 usbtmc devices seen in " +
           tree.roots.sysfs +
           "/class/usbmisc: usbtmc0 0x0957::0x1796::MY123::0, usbtmc1 0x0957::0x1796::MY123::2, "
           "usbtmc2 0x0AAD::0x01B0::MY456::1"},
  };
  for (const auto& c : cases) {
    ResourceAddress address;
    ASSERT_EQ(ParseResourceString(c.resource, address), kViSuccess) << c.resource;
    std::string node, detail;
    const ViStatus status = FindUsbtmcNode(address, tree.roots, node, detail);
    if (*c.node) {
      EXPECT_EQ(status, kViSuccess) << c.resource << ": " << detail;
      EXPECT_EQ(node, tree.roots.dev + "/" + c.node) << c.resource;
    } else {
      EXPECT_EQ(status, kViErrorRsrcNfound) << c.resource;
      EXPECT_EQ(detail, c.detail) << c.resource;
    }
  }
}

// The resource manager serves USB INSTR resources through the node the environment's roots
// lead to.
TEST(UsbtmcNode, ResourceManagerOpensTheNodeOfTheEnvironmentsTree) {
  SysfsTree tree;
  tevra::testing::ScratchFolder empty;
  setenv("TEVRA_SYSFS_ROOT", tree.roots.sysfs.c_str(), 1);
  setenv("TEVRA_DEV_ROOT", tree.roots.dev.c_str(), 1);
  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  EXPECT_EQ(manager.Open("USB::0x0AAD::0x01B0::MY456::INSTR", AccessMode::NoLock, 2000, session),
            kViSuccess)
      << manager.LastErrorDescription();
  setenv("TEVRA_SYSFS_ROOT", empty.path().c_str(), 1);
  EXPECT_EQ(manager.Open("USB::0x0AAD::0x01B0::MY456::INSTR", AccessMode::NoLock, 2000, session),
            kViErrorRsrcNfound);
  EXPECT_NE(manager.LastErrorDescription().find(
                "0 usbtmc devices seen in " + empty.path().string() +
                "/class/usbmisc (is the instrument plugged in, and is the usbtmc module loaded?)"),
            std::string::npos)
      << manager.LastErrorDescription();
  unsetenv("TEVRA_SYSFS_ROOT");
  unsetenv("TEVRA_DEV_ROOT");
}

// Tests run as root, whom a mode-000 node does not stop: the opener stands in for open(2).
int g_openError = 0;
int FailingOpen(const char*, int) {
  errno = g_openError;
  return -1;
}

TEST(UsbtmcNode, OpenFailuresTellWhy) {
  const struct {
    int error;
    ViStatus status;
    const char* detail;
  } cases[] = {
      {EACCES, kViErrorNpermission,
       "permission denied opening /dev/usbtmc0; add a udev rule such as "
       "packaging/99-tevra-usbtmc.rules (SUBSYSTEM==\"usbmisc\", KERNEL==\"usbtmc[0-9]*\", "
       "GROUP=\"plugdev\", MODE=\"0660\") and replug the instrument"},
      {EPERM, kViErrorNpermission, nullptr},
      {ENOENT, kViErrorRsrcNfound, "open /dev/usbtmc0: No such file or directory"},
      {EBUSY, kViErrorRsrcBusy, nullptr},
      {EIO, kViErrorIo, nullptr},
  };
  for (const auto& c : cases) {
    g_openError = c.error;
    std::unique_ptr<UsbtmcTransport> transport;
    std::string detail;
    EXPECT_EQ(UsbtmcTransport::OpenNode("/dev/usbtmc0", &FailingOpen, transport, detail), c.status)
        << c.error;
    if (c.detail) {
      EXPECT_EQ(detail, c.detail);
    }
    EXPECT_EQ(transport, nullptr);
  }
}

TEST(UsbtmcRead, EndsOnEndTermCharOrFullBuffer) {
  const struct {
    const char* chunk;
    bool end, termCharEnabled, full;
    std::size_t taken;
    bool done;
    ViStatus status;
  } cases[] = {
      {"1.5", false, false, false, 3, false, kViSuccess},  // the message goes on
      {"1.5", true, false, false, 3, true, kViSuccess},
      {"1.5", false, false, true, 3, true, kViSuccessMaxCnt},
      {"1.5", true, false, true, 3, true, kViSuccess},       // END wins over a full buffer
      {"1.5\n", false, false, false, 4, false, kViSuccess},  // not enabled: an ordinary byte
      {"1.5\n", false, true, false, 4, true, kViSuccessTermChar},
      {"1.5\n", true, true, false, 4, true, kViSuccess},
      {"1.5\n2.5\n", true, true, false, 4, true, kViSuccessTermChar},  // the rest is held
      {"1.5", false, true, false, 3, false, kViSuccess},
  };
  for (const auto& c : cases) {
    const std::string_view text(c.chunk);
    const ReadStep step =
        DecideReadStep({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, c.end,
                       c.termCharEnabled, '\n', c.full);
    EXPECT_EQ(step.taken, c.taken) << text << c.end << c.termCharEnabled << c.full;
    EXPECT_EQ(step.done, c.done) << text << c.end << c.termCharEnabled << c.full;
    if (c.done) {
      EXPECT_EQ(step.status, c.status) << text << c.end << c.termCharEnabled << c.full;
    }
  }
  EXPECT_EQ(DriverTimeoutMs(kViTmoImmediate), 100u);
  EXPECT_EQ(DriverTimeoutMs(2000), 2000u);
  EXPECT_EQ(DriverTimeoutMs(kViTmoInfinite), 0x7FFFFFFFu);
}

// A transfer that carried two replies: the first read gets the first, later reads the rest, the
// last with END; a short buffer takes the rest in pieces.
TEST(UsbtmcRead, HeldBytesAreDeliveredByTheReadsThatFollow) {
  const std::string_view tail = "2.5\n3.5\n";
  HeldInput held;
  held.Hold({reinterpret_cast<const std::uint8_t*>(tail.data()), tail.size()}, true);
  LineSettings line;
  line.termCharEnabled = true;
  const struct {
    std::size_t room;
    ViStatus status;
    const char* bytes;
    bool heldAfter;
  } reads[] = {
      {64, kViSuccessTermChar, "2.5\n", true},
      {2, kViSuccessMaxCnt, "3.", true},
      {64, kViSuccess, "5\n", false},
  };
  for (const auto& r : reads) {
    std::uint8_t buffer[64] = {};
    std::size_t count = 0;
    ViStatus status = kViErrorIo;
    EXPECT_TRUE(held.Deliver({buffer, r.room}, line, count, status)) << r.bytes;
    EXPECT_EQ(status, r.status) << r.bytes;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), r.bytes);
    EXPECT_EQ(!held.Empty(), r.heldAfter) << r.bytes;
  }
  // Held bytes without END leave the read to go on on the bus.
  held.Hold({reinterpret_cast<const std::uint8_t*>(tail.data()), 2}, false);
  std::uint8_t buffer[64];
  std::size_t count = 0;
  ViStatus status = kViSuccess;
  EXPECT_FALSE(held.Deliver(buffer, line, count, status));
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(held.Empty());
}

}  // namespace
}  // namespace tevra::visa
