#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr int BAR_WIDTH = 20;
constexpr auto REDRAW_EVERY = std::chrono::milliseconds(200);

std::string clock_text(double seconds) {
  auto whole = static_cast<int64_t>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                  static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(whole / 60),
                  static_cast<long long>(whole % 60));
  return text;
}

double seconds_since(const Progress& progress) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.start).count();
}

// The run that the last generation done belongs to, and how far it is.
void draw(Progress& progress) {
  const int64_t run = progress.done > 0 ? (progress.done - 1) / progress.generations : 0;
  const auto generation = static_cast<int32_t>(progress.done - run * progress.generations);
  std::string line = progress_line(run, progress.runs, generation, progress.generations, seconds_since(progress));
  std::fprintf(stderr, "\r%s\033[K", line.c_str());
  std::fflush(stderr);
  progress.drawn = std::chrono::steady_clock::now();
  progress.drawing = true;
}

}  // namespace

std::string progress_line(int64_t run, int64_t runs, int32_t generation, int32_t generations, double elapsed_seconds) {
  const double total = static_cast<double>(runs) * generations;
  const double done = static_cast<double>(run) * generations + generation;
  const double share = total > 0 ? done / total : 1.0;
  const int filled = static_cast<int>(share * BAR_WIDTH);
  std::string line(BAR_WIDTH + 3, '.');
  line.front() = '[';
  line.replace(1, static_cast<size_t>(filled), static_cast<size_t>(filled), '#');
  line.replace(BAR_WIDTH + 1, 2, "] ");
  char counts[96];
  std::snprintf(counts, sizeof counts, "%3d%%  run %lld/%lld, generation %d/%d, ", static_cast<int>(share * 100),
                static_cast<long long>(run + 1), static_cast<long long>(runs), generation, generations);
  line += counts;
  line += clock_text(elapsed_seconds) + " elapsed";
  if (done > 0 && done < total) line += ", about " + clock_text(elapsed_seconds * (total - done) / done) + " left";
  return line;
}

Progress start_progress(int64_t runs, int32_t generations, bool rows_on_terminal) {
  Progress progress;
  progress.shown = isatty(STDERR_FILENO) == 1 && !rows_on_terminal;
  progress.runs = runs;
  progress.generations = generations;
  progress.start = std::chrono::steady_clock::now();
  progress.drawn = progress.start - REDRAW_EVERY;
  return progress;
}

void advance_progress(Progress& progress) {
  ++progress.done;
  if (!progress.shown) return;
  // The last generation is always drawn: the bar stays at 100%.
  if (progress.done == progress.runs * progress.generations ||
      std::chrono::steady_clock::now() - progress.drawn >= REDRAW_EVERY)
    draw(progress);
}

void end_progress(Progress& progress) {
  if (!progress.drawing) return;
  std::fputc('\n', stderr);
  progress.drawing = false;
}
