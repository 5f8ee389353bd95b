#include "store/sample_queues.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <thread>

namespace kovra {

namespace {

// Background sampling yields to interactive work: a few nice steps below the process.
constexpr int kUtilityNiceSteps = 5;

class ThreadQueue final : public SerialQueue {
 public:
  explicit ThreadQueue(std::string label) : label_(std::move(label)) {}

  ~ThreadQueue() override {
    {
      std::lock_guard g(mutex_);
      stopping_ = true;
      blocks_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
  }

  void async(Block block) override {
    {
      std::lock_guard g(mutex_);
      if (stopping_) return;
      blocks_.push_back(std::move(block));
      if (!worker_.joinable()) worker_ = std::thread([this] { work(); });
    }
    wake_.notify_one();
  }

  const std::string& label() const override { return label_; }

 private:
  void work() {
    std::string name = label_.substr(label_.rfind('.') + 1);
    name = ("ks." + name).substr(0, 15);
    pthread_setname_np(pthread_self(), name.c_str());
    errno = 0;
    int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    if (errno == 0) (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), current + kUtilityNiceSteps);

    for (;;) {
      Block block;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !blocks_.empty(); });
        if (stopping_) return;
        block = std::move(blocks_.front());
        blocks_.pop_front();
      }
      if (block) block();
    }
  }

  std::string label_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Block> blocks_;
  bool stopping_ = false;
  std::thread worker_;
};

// Blocks run on the submitting thread; serial as long as one thread submits (the main sequence).
class CallerQueue final : public SerialQueue {
 public:
  explicit CallerQueue(std::string label) : label_(std::move(label)) {}
  void async(Block block) override {
    if (block) block();
  }
  const std::string& label() const override { return label_; }

 private:
  std::string label_;
};

}  // namespace

std::unique_ptr<SerialQueue> ThreadedQueueFactory::makeSerialQueue(const std::string& label) {
  if (onCaller_.count(label) != 0) return std::make_unique<CallerQueue>(label);
  return std::make_unique<ThreadQueue>(label);
}

class ManualQueueFactory::Queue final : public SerialQueue {
 public:
  Queue(std::string label, std::shared_ptr<State> state) : label_(std::move(label)), state_(std::move(state)) {}
  void async(Block block) override {
    if (state_->holding) {
      state_->held.emplace_back(alive_, std::move(block));
    } else if (block) {
      block();
    }
  }
  const std::string& label() const override { return label_; }

 private:
  std::string label_;
  std::shared_ptr<State> state_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

std::unique_ptr<SerialQueue> ManualQueueFactory::makeSerialQueue(const std::string& label) {
  state_->labels.push_back(label);
  return std::make_unique<Queue>(label, state_);
}

void ManualQueueFactory::setHolding(bool holding) { state_->holding = holding; }

size_t ManualQueueFactory::runHeld() {
  size_t ran = 0;
  while (!state_->held.empty()) {
    auto [alive, block] = std::move(state_->held.front());
    state_->held.pop_front();
    if (alive.expired()) continue;
    if (block) block();
    ++ran;
  }
  return ran;
}

size_t ManualQueueFactory::heldCount() const {
  size_t n = 0;
  for (const auto& entry : state_->held) n += entry.first.expired() ? 0 : 1;
  return n;
}

std::vector<std::string> ManualQueueFactory::labels() const { return state_->labels; }

}  // namespace kovra
