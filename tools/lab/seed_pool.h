// A sweep's seeds run by several threads at once (--jobs), each run exactly
// as it would run alone, and their rows written in the order of the seeds,
// so that the data is the same byte for byte whatever the number of
// threads.
//
// The calling thread writes: it hands the rows of the seed whose turn it is
// to the output as they come, in blocks of 64 KiB, and moves on to the next
// seed once that run has ended. Memory stays bounded however slow one seed
// is: a thread takes a seed only while fewer than `seeds_ahead` seeds (or
// twice the threads, if more) are taken and not yet written, and a run
// whose turn has not come waits while the rows waiting for their turn would
// pass `waiting_bytes`. The rows bound the memory; the seeds ahead are many,
// so that the threads go on past a seed that takes a thousand times as long
// as most.
//
// A run that fails ends the sweep as it would end one run after another:
// the rows of every seed before it are written whole, then its own rows
// made before the failure, then its error is thrown on the calling thread;
// nothing of a later seed is written. The first failure in seed order wins,
// whichever thread met it first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Where a seed's run puts what it makes, as it makes it: whole rows, a
// recorded generation at a time, and every generation done, for the
// progress bar.
struct Seed_Sink {
  void* context = nullptr;
  void (*rows)(void* context, std::string_view rows) = nullptr;
  void (*generation_done)(void* context) = nullptr;
};

// Runs seed number `index` (0 for the sweep's first) into `sink`. It is
// called on several threads at once: what runs share, it only reads.
struct Seed_Runner {
  void* context = nullptr;
  void (*run)(void* context, int64_t index, const Seed_Sink& sink) = nullptr;
};

constexpr int64_t SEEDS_AHEAD = 1024;
constexpr size_t MAX_WAITING_BYTES = size_t{32} << 20;

struct Seed_Pool_Plan {
  int64_t seeds = 0;                         // runs, numbered 0 to seeds - 1 in the order of their rows
  int32_t jobs = 1;                          // threads that run them
  size_t waiting_bytes = MAX_WAITING_BYTES;  // rows kept for seeds whose turn has not come
  int64_t seeds_ahead = SEEDS_AHEAD;         // seeds taken and not yet written, at least 2 × jobs
};

// Runs every seed and hands its rows to `output.rows` on the calling
// thread, in seed order, and each generation done to
// `output.generation_done` (with several threads, on theirs, one call at a
// time). With one job the seeds run one after another on the calling
// thread, straight into `output`: each generation's rows are handed on as
// soon as they are made.
void run_seed_pool(const Seed_Pool_Plan& plan, const Seed_Runner& runner, const Seed_Sink& output);
