// A made-up sysfs tree in a scratch folder, linked as the kernel links its own: two usbtmc
// interfaces of one instrument (usbtmc0 and usbtmc1), a second instrument (usbtmc2), a USB serial
// adapter, a legacy UART that is present, one that is not, and a virtual console; each usbtmc
// device has its node under the dev root.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/ScratchFolder.h"
#include "visa/UsbtmcTransport.h"

namespace tevra::testing {

class SysfsTree {
  ScratchFolder scratch_;
  std::filesystem::path sys_ = scratch_.path() / "sys";

 public:
  SysfsTree() {
    const std::filesystem::path usb = sys_ / "devices/pci0000:00/usb1";
    Write(usb / "1-1/manufacturer", "Acme");
    Write(usb / "1-1/product", "Counter 9");
    AddUsbtmc("usbtmc0", usb / "1-1", "0957", "1796", "MY123", "00");
    AddUsbtmc("usbtmc1", usb / "1-1", "0957", "1796", "MY123", "02");
    AddUsbtmc("usbtmc2", usb / "1-3", "0aad", "01b0", "MY456", "01");

    const std::filesystem::path adapter = usb / "1-2";
    Write(adapter / "idVendor", "0403");
    Write(adapter / "manufacturer", "FTDI");
    Write(adapter / "product", "FT232R");
    Link(adapter / "1-2:1.0/ttyUSB0", "class/tty/ttyUSB0");
    const std::filesystem::path uart = sys_ / "devices/platform/serial8250";
    Link(uart, "class/tty/ttyS0");
    Write(sys_ / "class/tty/ttyS0/type", "4");
    Write(sys_ / "class/tty/ttyS0/port", "0x3F8");
    Link(uart, "class/tty/ttyS1");
    Write(sys_ / "class/tty/ttyS1/type", "0");
    std::filesystem::create_directories(sys_ / "class/tty/tty0");
  }

  visa::UsbtmcRoots roots{sys_.string(), (scratch_.path() / "dev").string()};

 private:
  static void Write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
  }
  // The class entry's device link names the interface, whose parent folder is the USB device.
  void AddUsbtmc(const std::string& name, const std::filesystem::path& device,
                 const std::string& vendor, const std::string& product, const std::string& serial,
                 const std::string& interfaceNumber) {
    Write(device / "idVendor", vendor);
    Write(device / "idProduct", product);
    Write(device / "serial", serial);
    const std::filesystem::path interface =
        device / (device.filename().string() + ":1." + interfaceNumber.substr(1));
    Write(interface / "bInterfaceNumber", interfaceNumber);
    Link(interface, "class/usbmisc/" + name);
    Write(std::filesystem::path(roots.dev) / name, "");
  }
  // The entry's device link, relative as sysfs makes it.
  void Link(const std::filesystem::path& target, const std::string& entry) {
    std::filesystem::create_directories(target);
    std::filesystem::create_directories(sys_ / entry);
    std::filesystem::create_directory_symlink(std::filesystem::relative(target, sys_ / entry),
                                              sys_ / entry / "device");
  }
};

}  // namespace tevra::testing
