#include "row_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "error.h"
#include "printable_text.h"
#include "termination.h"

namespace {

constexpr size_t WRITE_SIZE = 1 << 16;

[[noreturn]] void cannot_write(const Row_Output& output) {
  error("cannot write " + printable_text(output.name) + ": " + std::strerror(errno));
}

}  // namespace

Row_Output open_row_output(const std::string& path) {
  Row_Output output;
  if (path.empty()) {
    output.fd = STDOUT_FILENO;
    output.name = "standard output";
    return output;
  }
  output.name = path;
  output.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (output.fd < 0) error("cannot open " + printable_text(path) + " for writing: " + std::strerror(errno));
  output.owned = true;
  return output;
}

void add_rows(Row_Output& output, std::string_view rows) {
  output.pending.append(rows);
  if (output.pending.size() >= WRITE_SIZE) flush_rows(output);
}

void flush_rows(Row_Output& output) {
  const std::lock_guard<std::mutex> lock(rows_write_lock());
  size_t written = 0;
  while (written < output.pending.size()) {
    ssize_t count = ::write(output.fd, output.pending.data() + written, output.pending.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      output.pending.erase(0, written);
      cannot_write(output);
    }
    written += static_cast<size_t>(count);
  }
  output.pending.clear();
}

void close_row_output(Row_Output& output) {
  flush_rows(output);
  if (output.owned && ::close(output.fd) != 0) cannot_write(output);
  output.owned = false;
}
