#pragma once
// The exchanges' LinkHost for the program's whole life: it hands each call to the link of the
// editor window that is open, and drops calls that arrive when none is (a stopped exchange
// finishing after its window closed).
#include "com_thread.h"
#include "editor_link.h"

namespace kerma {

class LinkRelay final : public LinkHost {
  public:
    LinkHost* target = nullptr;

    void outcome(int32_t code, int attempt) override {
        if (target) target->outcome(code, attempt);
    }
    void progress(int percent) override {
        if (target) target->progress(percent);
    }
    void blockProgress(LinkOperation op, int done, int total) override {
        if (target) target->blockProgress(op, done, total);
    }
    void linkLost() override {
        if (target) target->linkLost();
    }
    void codesRead(Block block) override {
        if (target) target->codesRead(std::move(block));
    }
    void settingsRead(Block block, bool identify) override {
        if (target) target->settingsRead(std::move(block), identify);
    }
    void readFinished() override {
        if (target) target->readFinished();
    }
    void writeFinished() override {
        if (target) target->writeFinished();
    }
    // Without a window nothing is built, and an empty block is never sent.
    Block buildSettingsImage() override { return target ? target->buildSettingsImage() : Block{}; }
    void startExchange(LinkOperation op, Block data) override {
        if (target) target->startExchange(op, std::move(data));
    }
    void uploadFinished() override {
        if (target) target->uploadFinished();
    }
    void reconnect() override {
        if (target) target->reconnect();
    }
};

// The editor's LinkDriver over the program's LinkRunner.
class RunnerDriver final : public LinkDriver {
  public:
    explicit RunnerDriver(LinkRunner& runner) : runner_(runner) {}
    LinkState& state() override { return runner_.state(); }
    void start(LinkOperation op, Block data) override { runner_.start(op, std::move(data)); }
    void stopCurrent() override { runner_.stopCurrent(); }
    void closePort() override { runner_.closePort(); }

  private:
    LinkRunner& runner_;
};

}  // namespace kerma
