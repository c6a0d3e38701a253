#pragma once
// A preview player that writes down what it is asked, in order, into a list its test keeps.
#include <functional>
#include <string>
#include <vector>

#include "platform/MediaPlayer.h"

namespace qv::test {

class RecordingPlayer : public MediaPlayer {
public:
    explicit RecordingPlayer(std::vector<std::string>& calls) : calls_(calls) {}
    bool opens = true;  // what Play answers

    bool Play(const std::string& path) override {
        calls_.push_back("play " + path);
        return opens;
    }
    void Close() override { calls_.push_back("close"); }
    bool SetBalance(int balance) override {
        calls_.push_back("balance " + std::to_string(balance));
        return true;
    }
    void SetErrorHandler(std::function<void(const std::string&)>) override {}

private:
    std::vector<std::string>& calls_;
};

}  // namespace qv::test
