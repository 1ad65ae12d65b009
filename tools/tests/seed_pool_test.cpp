// The seed pool with made-up runs: rows in seed order whatever finishes
// first, one job as one loop on the calling thread, the first failure in
// seed order, a failed write, and rows kept within the bound while one
// seed is slow.
#include "seed_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "error.h"

namespace {

// A made-up sweep: each seed makes `generations` rows "seed generation\n".
struct Fake_Sweep {
  int32_t jobs = 1;
  int32_t generations = 3;
  // What a seed does before each of its generations; may wait or throw.
  void (*before)(Fake_Sweep& sweep, int64_t seed, int32_t generation) = nullptr;
  int32_t failing_write = -1;  // the call of the output that fails
  std::mutex lock;
  std::condition_variable changed;
  std::vector<bool> finished = std::vector<bool>(1000, false);
  std::string written;  // what the output received
  int32_t write_calls = 0;
  std::atomic<int64_t> started{0}, generations_done{0}, made{0}, written_bytes{0}, most_held{0};

  void finish(int64_t seed) {
    std::lock_guard<std::mutex> held(lock);
    finished[static_cast<size_t>(seed)] = true;
    changed.notify_all();
  }
  void wait_for(int64_t seed) {
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [&] { return finished[static_cast<size_t>(seed)]; });
  }
};

void fake_run(void* context, int64_t seed, const Seed_Sink& sink) {
  Fake_Sweep& sweep = *static_cast<Fake_Sweep*>(context);
  ++sweep.started;
  for (int32_t generation = 0; generation < sweep.generations; ++generation) {
    if (sweep.before) sweep.before(sweep, seed, generation);
    const std::string rows = std::to_string(seed) + " " + std::to_string(generation) + "\n";
    sink.rows(sink.context, rows);
    const int64_t held = (sweep.made += static_cast<int64_t>(rows.size())) - sweep.written_bytes;
    for (int64_t most = sweep.most_held; held > most && !sweep.most_held.compare_exchange_weak(most, held);) {
    }
    sink.generation_done(sink.context);
  }
  sweep.finish(seed);
}

void fake_write(void* context, std::string_view rows) {
  Fake_Sweep& sweep = *static_cast<Fake_Sweep*>(context);
  if (sweep.write_calls++ == sweep.failing_write) error("cannot write out.csv: No space left on device");
  sweep.written.append(rows);
  sweep.written_bytes += static_cast<int64_t>(rows.size());
}

void fake_count(void* context) { ++static_cast<Fake_Sweep*>(context)->generations_done; }

// The pool's error, or "" when it ends well.
std::string run_pool(Fake_Sweep& sweep, int64_t seeds, int64_t seeds_ahead = SEEDS_AHEAD,
                     size_t waiting_bytes = MAX_WAITING_BYTES) {
  try {
    run_seed_pool(Seed_Pool_Plan{seeds, sweep.jobs, waiting_bytes, seeds_ahead}, Seed_Runner{&sweep, fake_run},
                  Seed_Sink{&sweep, fake_write, fake_count});
  } catch (const Fatal_Error& failure) {
    return failure.what();
  } catch (const std::bad_alloc&) {
    return "out of memory";
  }
  return "";
}

std::string lines_of(int64_t first, int64_t last, int32_t generations) {
  std::string lines;
  for (int64_t seed = first; seed <= last; ++seed)
    for (int32_t generation = 0; generation < generations; ++generation)
      lines += std::to_string(seed) + " " + std::to_string(generation) + "\n";
  return lines;
}

}  // namespace

TEST(SeedPool, RowsComeInSeedOrderWhateverFinishesFirst) {
  static int32_t group;
  for (int32_t jobs : {2, 4, 8}) {
    Fake_Sweep sweep;
    sweep.jobs = group = jobs;
    // In every group of `jobs` seeds the last finishes first, then the one
    // before it, and so on: each waits for the next to finish.
    sweep.before = [](Fake_Sweep& sweep, int64_t seed, int32_t generation) {
      if (generation == 1 && seed % group != group - 1) sweep.wait_for(seed + 1);
    };
    EXPECT_EQ(run_pool(sweep, 5 * jobs), "");
    EXPECT_EQ(sweep.written, lines_of(0, 5 * jobs - 1, 3)) << jobs << " jobs";
    EXPECT_EQ(sweep.generations_done, 5 * jobs * 3);
  }
}

TEST(SeedPool, OneJobRunsEachSeedOnTheCallingThreadPassingEachGenerationOn) {
  static std::thread::id caller;
  caller = std::this_thread::get_id();
  Fake_Sweep sweep;
  sweep.before = [](Fake_Sweep& sweep, int64_t seed, int32_t generation) {
    EXPECT_EQ(std::this_thread::get_id(), caller);
    EXPECT_EQ(sweep.written, lines_of(0, seed - 1, 3) + lines_of(seed, seed, generation));
  };
  EXPECT_EQ(run_pool(sweep, 4), "");
  EXPECT_EQ(sweep.write_calls, 12);
}

TEST(SeedPool, TheFirstFailureInSeedOrderWinsAndItsRowsBeforeItAreWritten) {
  static bool several;
  for (int32_t jobs : {1, 2, 4, 8}) {
    Fake_Sweep sweep;
    sweep.jobs = jobs;
    several = jobs > 1;
    // Seed 5 fails in its second generation, seeds 7 and 9 in their first;
    // with several jobs seed 5 fails only once seed 7 has.
    sweep.before = [](Fake_Sweep& sweep, int64_t seed, int32_t generation) {
      if (seed == 7) {
        sweep.finish(7);
        error("seed 7 fails");
      }
      if (seed == 9) throw std::bad_alloc();
      if (seed == 5 && generation == 1) {
        if (several) sweep.wait_for(7);
        error("seed 5 fails");
      }
    };
    EXPECT_EQ(run_pool(sweep, 12), "seed 5 fails") << jobs << " jobs";
    EXPECT_EQ(sweep.written, lines_of(0, 4, 3) + "5 0\n") << jobs << " jobs";
  }
  Fake_Sweep sweep;
  sweep.jobs = 3;
  sweep.before = [](Fake_Sweep&, int64_t seed, int32_t) {
    if (seed == 9) throw std::bad_alloc();
  };
  EXPECT_EQ(run_pool(sweep, 12), "out of memory");
  EXPECT_EQ(sweep.written, lines_of(0, 8, 3));
}

TEST(SeedPool, AFailedWriteEndsEveryRun) {
  for (int32_t jobs : {1, 4}) {
    Fake_Sweep sweep;
    sweep.jobs = jobs;
    sweep.generations = 1;
    sweep.failing_write = 2;
    EXPECT_EQ(run_pool(sweep, 1000, 10), "cannot write out.csv: No space left on device");
    EXPECT_EQ(sweep.written, lines_of(0, 1, 1));
    // No seed starts 10 seeds or more after the one being written.
    EXPECT_LE(sweep.started, 2 + 10) << jobs << " jobs";
  }
}

// Seed 0 goes on only once the others have filled the rows that may wait,
// and given them time to overfill it. Rows made and not yet written stay
// within that bound, besides those of the seed being written and the next.
TEST(SeedPool, RowsWaitingForASlowSeedStayBounded) {
  constexpr int64_t BOUND = 40, SEED_BYTES = 10 * 4 + 10 * 5;  // "0 9\n", "0 10\n"
  Fake_Sweep sweep;
  sweep.jobs = 4;
  sweep.generations = 20;
  sweep.before = [](Fake_Sweep& sweep, int64_t seed, int32_t generation) {
    if (seed != 0 || generation != 1) return;
    while (sweep.made < BOUND) std::this_thread::yield();
    for (int i = 0; i < 1000; ++i) std::this_thread::yield();
  };
  EXPECT_EQ(run_pool(sweep, 10, SEEDS_AHEAD, BOUND), "");
  EXPECT_EQ(sweep.written.substr(0, 8), "0 0\n0 1\n");
  EXPECT_EQ(sweep.written.size(), 10u * SEED_BYTES);
  EXPECT_LE(sweep.most_held, BOUND + 2 * SEED_BYTES);
}
