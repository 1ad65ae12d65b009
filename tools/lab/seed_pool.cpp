#include "seed_pool.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "error.h"

namespace {

// A seed's rows on their way from its run to the writer.
struct Seed_Slot {
  std::string rows;       // whole rows not handed to the output yet
  bool finished = false;  // the run has ended, by its end or by a failure
  std::exception_ptr failure;
};

// The rows of the seed being written go to the writer in blocks of this
// size, the output's own: waking the writer for every generation's rows
// would cost more than the rows.
constexpr size_t HANDED_ON_BYTES = size_t{1} << 16;

// Thrown into a run whose rows will never be written (a seed after one
// that failed, or every seed once writing failed), to end it early.
struct Run_Cancelled {};

struct Pool {
  const Seed_Pool_Plan& plan;
  const Seed_Runner& runner;
  const Seed_Sink& output;
  std::vector<Seed_Slot> slots;          // seed k in slot k % size: one per seed taken and not yet written
  std::mutex lock{};                     // guards everything below, and calls of output.generation_done
  std::condition_variable head_moved{};  // workers wait for it: the head moved on, or runs were cancelled
  std::condition_variable head_rows{};   // the writer waits for it: the head's slot has a block or has finished
  int64_t next = 0;                      // the seed taken next
  int64_t head = 0;                      // the seed whose rows are written next
  int64_t last_needed = -1;              // seeds after it are not run, or ended early: they follow a failure
  size_t waiting = 0;                    // bytes of rows in the slots of seeds after the head
};

Seed_Slot& slot_of(Pool& pool, int64_t seed) {
  return pool.slots[static_cast<size_t>(seed % static_cast<int64_t>(pool.slots.size()))];
}

bool cancelled(const Pool& pool, int64_t seed) { return seed > pool.last_needed; }

// What a worker's run hands its rows and generations to.
struct Turn {
  Pool& pool;
  int64_t seed;
};

// Rows wait in the run's slot until the writer takes them. A run whose turn
// has not come waits while they would make the rows waiting pass the bound;
// when its turn comes, its rows go on in blocks as they come.
void keep_rows(void* context, std::string_view rows) {
  Turn& turn = *static_cast<Turn*>(context);
  Pool& pool = turn.pool;
  std::unique_lock<std::mutex> held(pool.lock);
  pool.head_moved.wait(held, [&] {
    return turn.seed == pool.head || cancelled(pool, turn.seed) ||
           pool.waiting + rows.size() <= pool.plan.waiting_bytes;
  });
  if (cancelled(pool, turn.seed)) throw Run_Cancelled{};
  std::string& kept = slot_of(pool, turn.seed).rows;
  kept.append(rows);
  if (turn.seed != pool.head)
    pool.waiting += rows.size();
  else if (kept.size() >= HANDED_ON_BYTES)
    pool.head_rows.notify_one();
}

void count_generation(void* context) {
  Turn& turn = *static_cast<Turn*>(context);
  std::lock_guard<std::mutex> held(turn.pool.lock);
  if (cancelled(turn.pool, turn.seed)) throw Run_Cancelled{};
  const Seed_Sink& output = turn.pool.output;
  if (output.generation_done) output.generation_done(output.context);
}

// The next seed to run, or -1 when none is left. A seed waits until it is
// fewer than the slots ahead of the head.
int64_t take_seed(Pool& pool) {
  std::unique_lock<std::mutex> held(pool.lock);
  const auto ahead = static_cast<int64_t>(pool.slots.size());
  pool.head_moved.wait(held, [&] { return cancelled(pool, pool.next) || pool.next < pool.head + ahead; });
  return cancelled(pool, pool.next) ? -1 : pool.next++;
}

void end_run(Pool& pool, int64_t seed, std::exception_ptr failure) {
  std::lock_guard<std::mutex> held(pool.lock);
  Seed_Slot& slot = slot_of(pool, seed);
  slot.finished = true;
  slot.failure = failure;
  if (failure && seed < pool.last_needed) {
    // The seeds after it are not needed: their runs end at their next rows.
    pool.last_needed = seed;
    pool.head_moved.notify_all();
  }
  if (seed == pool.head) pool.head_rows.notify_one();
}

void work(Pool& pool) {
  for (int64_t seed; (seed = take_seed(pool)) >= 0;) {
    Turn turn{pool, seed};
    std::exception_ptr failure;
    try {
      pool.runner.run(pool.runner.context, seed, Seed_Sink{&turn, keep_rows, count_generation});
    } catch (const Run_Cancelled&) {
    } catch (...) {
      failure = std::current_exception();
    }
    end_run(pool, seed, failure);
  }
}

// What the writer takes from the head's slot at once.
struct Taken {
  std::string rows;
  bool finished = false;
  std::exception_ptr failure;
};

void take_head(Pool& pool, Taken& taken) {
  std::unique_lock<std::mutex> held(pool.lock);
  Seed_Slot& slot = slot_of(pool, pool.head);
  pool.head_rows.wait(held, [&] { return slot.finished || slot.rows.size() >= HANDED_ON_BYTES; });
  // The slot is left without a buffer, and the writer's last block is freed:
  // a thousand slots that each kept the largest rows they held would hold
  // far more than the rows waiting. (Assigning an empty string, or moving
  // one in, keeps a string's buffer.)
  taken.rows.swap(slot.rows);
  std::string().swap(slot.rows);
  taken.finished = slot.finished;
  taken.failure = slot.failure;
}

// The head's run has ended and its rows are written: the next seed's turn.
void advance_head(Pool& pool) {
  std::lock_guard<std::mutex> held(pool.lock);
  Seed_Slot& done = slot_of(pool, pool.head);
  done.finished = false;
  done.failure = nullptr;
  ++pool.head;
  if (pool.head < pool.plan.seeds) pool.waiting -= slot_of(pool, pool.head).rows.size();
  pool.head_moved.notify_all();
}

// Only this thread moves the head, so it reads it without the lock.
void write_in_order(Pool& pool) {
  Taken taken;
  while (pool.head < pool.plan.seeds) {
    take_head(pool, taken);
    if (!taken.rows.empty()) pool.output.rows(pool.output.context, taken.rows);
    if (taken.failure) std::rethrow_exception(taken.failure);
    if (taken.finished) advance_head(pool);
  }
}

// The worker threads. However the writer leaves, every run still going is
// cancelled and every thread joined before the pool goes away.
struct Workers {
  Pool& pool;
  std::vector<std::thread> threads;
  ~Workers() {
    {
      std::lock_guard<std::mutex> held(pool.lock);
      pool.last_needed = -1;
    }
    pool.head_moved.notify_all();
    for (std::thread& thread : threads) thread.join();
  }
};

// Starts the threads; when the system refuses one, those already running
// share the seeds.
void start_workers(Workers& workers, int32_t jobs) {
  workers.threads.reserve(static_cast<size_t>(jobs));
  for (int32_t job = 0; job < jobs; ++job) {
    try {
      workers.threads.emplace_back(work, std::ref(workers.pool));
    } catch (const std::system_error& failure) {
      if (workers.threads.empty()) error(std::string("cannot start the threads of --jobs: ") + failure.what());
      return;
    }
  }
}

}  // namespace

void run_seed_pool(const Seed_Pool_Plan& plan, const Seed_Runner& runner, const Seed_Sink& output) {
  if (plan.jobs <= 1) {
    for (int64_t seed = 0; seed < plan.seeds; ++seed) runner.run(runner.context, seed, output);
    return;
  }
  const int64_t slots = std::max(plan.seeds_ahead, int64_t{2} * plan.jobs);
  Pool pool{plan, runner, output, std::vector<Seed_Slot>(static_cast<size_t>(std::min(slots, plan.seeds)))};
  pool.last_needed = plan.seeds - 1;
  Workers workers{pool, {}};
  start_workers(workers, plan.jobs);
  write_in_order(pool);
}
