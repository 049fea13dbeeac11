// The transfers between the instrument's mass memory and local files. A local file is read whole
// before anything is sent; a file coming from the instrument is written to a new file beside its
// destination, which takes the destination's place only once every byte is on disk.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "counter/Memory.h"
#include "counter/Property.h"
#include "platform/ErrorInfo.h"

namespace tevra::counter {
namespace {

using core::In;

std::string Described(const std::string& path, int error) {
  return "'" + path + "': " + std::strerror(error);
}

// The whole of a local file, read as bytes.
HRESULT ReadLocalFile(Tevra& driver, const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return driver.Reporter().ReportElaborated(
        Code::FileNotFound, "DownloadFile, parameter Source: " + Described(path, errno));
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  const int error = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (error)
    return driver.Reporter().ReportElaborated(Code::ErrorReadingFile, Described(path, error));
  return S_OK;
}

// A write to the instrument that failed, as the invalid value of the parameter it was for; the
// I/O layer's description of the failure follows on its own line.
HRESULT ReportFailedWrite(Tevra& driver, const char* parameter, BSTR value) {
  const std::string failure = platform::PeekThreadErrorDescription();
  return driver.Reporter().ReportInvalidValueText("DownloadFile", parameter,
                                                  platform::BstrToUtf8(value), failure);
}

// The new file an upload is written to before it replaces its destination; removed unless it
// did.
class PartFile {
 public:
  ~PartFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  // Fails, with nothing created, when the destination could not be replaced.
  HRESULT Create(Tevra& driver, const std::string& destination) {
    if (::access(destination.c_str(), F_OK) == 0 && ::access(destination.c_str(), W_OK) != 0)
      return Refuse(driver, destination, errno);
    static std::atomic<unsigned> made{0};
    const std::string path = destination + ".part-" + std::to_string(::getpid()) + "-" +
                             std::to_string(made.fetch_add(1));
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ < 0) return Refuse(driver, destination, errno);
    path_ = path;
    destination_ = destination;
    return S_OK;
  }

  // Writes the bytes and puts the file in the destination's place.
  HRESULT Commit(Tevra& driver, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote = ::write(descriptor_, bytes.data() + done, bytes.size() - done);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return WriteFailed(driver, wrote < 0 ? errno : ENOSPC);
      done += static_cast<std::size_t>(wrote);
    }
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0) return WriteFailed(driver, errno);
    if (::rename(path_.c_str(), destination_.c_str()) != 0) return WriteFailed(driver, errno);
    path_.clear();
    return S_OK;
  }

 private:
  static HRESULT Refuse(Tevra& driver, const std::string& destination, int error) {
    return driver.Reporter().ReportElaborated(
        Code::CannotOpenFile,
        "UploadFile, parameter DestinationFile: " + Described(destination, error));
  }
  HRESULT WriteFailed(Tevra& driver, int error) const {
    return driver.Reporter().ReportElaborated(Code::ErrorWritingFile,
                                              Described(destination_, error));
  }

  int descriptor_ = -1;
  std::string path_;
  std::string destination_;
};

}  // namespace

HRESULT MemoryInterface::UploadFile(BSTR SourceFile, BSTR DestinationFile) {
  return d_.Enter(
      rows::ITevraMemory_UploadFile.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) return S_OK;
        PartFile part;
        if (HRESULT hr = part.Create(d_, platform::BstrToUtf8(DestinationFile)); FAILED(hr))
          return hr;
        std::vector<std::uint8_t> bytes;
        if (HRESULT hr = d_.Io().QueryBinaryBlock(frame.command, core::ScanArg(&bytes),
                                                  core::kDefaultTimeout);
            FAILED(hr))
          return hr;
        return part.Commit(d_, bytes);
      },
      In("SourceFile", SourceFile), In("DestinationFile", DestinationFile));
}

// The destination's name first, then the contents as an IEEE 488.2 definite-length block.
HRESULT MemoryInterface::DownloadFile(BSTR Source, BSTR Destination) {
  return d_.Enter(
      rows::ITevraMemory_DownloadFile.record,
      [&]() -> HRESULT {
        if (d_.Simulating()) return S_OK;
        std::vector<std::uint8_t> bytes;
        if (HRESULT hr = ReadLocalFile(d_, platform::BstrToUtf8(Source), bytes); FAILED(hr))
          return hr;
        core::IIoSession& io = d_.Io();
        const std::string name =
            "MMEMory:DOWNload:FNAMe \"" + platform::BstrToUtf8(Destination) + "\"";
        if (FAILED(io.WriteString(name, true, core::kDefaultTimeout)))
          return ReportFailedWrite(d_, "Destination", Destination);
        HRESULT hr = io.WriteString("MMEMory:DOWNload:DATA ", false, core::kDefaultTimeout);
        if (SUCCEEDED(hr))
          hr = io.WriteBinaryBlock(core::FormatArg(bytes), true, core::kDefaultTimeout);
        if (FAILED(hr)) return ReportFailedWrite(d_, "Source", Source);
        return S_OK;
      },
      In("Source", Source), In("Destination", Destination));
}

}  // namespace tevra::counter
