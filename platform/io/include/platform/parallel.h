#pragma once
// Work on every core with the results taken in order: pieces of a run (files,
// stretches of a file) are made on worker threads and handed back to the
// calling thread one after the other, so whatever the calling thread writes
// or asks comes out exactly as one worker would have made it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform {

// The workers a run uses when not told: one per core, at least one.
unsigned DefaultWorkers();

// Reads the value of -j: a whole number from 1 to 256. Returns "" and sets
// *workers, or the usage error.
std::string ReadWorkers(const std::string& value, unsigned* workers);

// Set when the run no longer wants a piece's result; a long piece may look
// at it now and then and end early (its result is then dropped).
using RunEnded = std::atomic<bool>;

// Makes make(i, ended) for every i in [0, count) on up to `workers` threads
// and gives each result to take(i, result) on the calling thread, in the
// order of i, as soon as it and every one before it are made. At most
// `ahead` results are made ahead of the one taken next, which bounds the
// memory they hold. take returns false to end the run: nothing more is
// started, and what is being made is finished and dropped. While the calling
// thread waits for the next result, `waiting` is called about every 50 ms
// (a window lets its events through there). Returns true when every result
// was taken.
//
// With one worker nothing runs on another thread: make(0), take(0),
// make(1), ... on the calling thread, as a run always went.
//
// An exception from make is thrown again on the calling thread when its
// piece's turn comes; from take it ends the run and is thrown on.
template <typename Result>
bool RunInOrder(std::size_t count, unsigned workers, std::size_t ahead,
                const std::function<Result(std::size_t, const RunEnded&)>& make,
                const std::function<bool(std::size_t, Result&)>& take,
                const std::function<void()>& waiting = {}) {
  RunEnded ended{false};
  if (workers <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Result result = make(i, ended);
      if (!take(i, result)) return false;
    }
    return true;
  }
  ahead = std::max<std::size_t>(ahead, 1);
  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool done = false;
  };
  // A ring of `ahead` slots (not named `slots`: Qt makes that a macro):
  // piece i lives in slot i % ahead until taken.
  std::vector<Slot> ring(ahead);
  std::mutex mutex;
  std::condition_variable made;  // a piece was made
  std::condition_variable room;  // a piece was taken, or the run ended
  std::size_t next = 0;          // the next piece to start
  std::size_t taken = 0;         // pieces taken so far
  auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock<std::mutex> lock(mutex);
        room.wait(lock, [&] { return ended.load() || next >= count || next < taken + ahead; });
        if (ended.load() || next >= count) return;
        i = next++;
      }
      Slot made_slot;
      try {
        made_slot.result.emplace(make(i, ended));
      } catch (...) {
        made_slot.error = std::current_exception();
      }
      {
        std::lock_guard<std::mutex> lock(mutex);
        Slot& slot = ring[i % ahead];
        slot.result = std::move(made_slot.result);
        slot.error = made_slot.error;
        slot.done = true;
      }
      made.notify_all();
    }
  };
  std::vector<std::thread> threads;
  const std::size_t thread_count = std::min<std::size_t>(workers, count);
  threads.reserve(thread_count);
  // Whatever way the calling thread leaves, the workers are told and joined.
  struct Joiner {
    std::vector<std::thread>& threads;
    RunEnded& ended;
    std::mutex& mutex;
    std::condition_variable& room;
    ~Joiner() {
      {
        std::lock_guard<std::mutex> lock(mutex);
        ended.store(true);
      }
      room.notify_all();
      for (std::thread& thread : threads) thread.join();
    }
  } joiner{threads, ended, mutex, room};
  for (std::size_t t = 0; t < thread_count; ++t) threads.emplace_back(worker);

  for (std::size_t i = 0; i < count; ++i) {
    Slot slot;
    {
      std::unique_lock<std::mutex> lock(mutex);
      Slot& waited = ring[i % ahead];
      while (!waited.done) {
        if (waiting) {
          made.wait_for(lock, std::chrono::milliseconds(50));
          if (!waited.done) {
            lock.unlock();
            waiting();
            lock.lock();
          }
        } else {
          made.wait(lock);
        }
      }
      slot.result = std::move(waited.result);
      slot.error = waited.error;
      waited = Slot{};
      ++taken;
    }
    room.notify_all();
    if (slot.error) std::rethrow_exception(slot.error);
    if (!take(i, *slot.result)) return false;
  }
  return true;
}

}  // namespace platform
