#pragma once
// Scripted user for tests: records every text shown (as UTF-8, for readable assertions) and answers
// questions from a queue (an empty queue answers "no").
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Big5Codec.h"
#include "catalogue/UserInterface.h"

namespace qv::test {

struct Shown {
    std::string kind;  // "error", "warning", "info", "blue", "askblue", "ask", "wait", "line"
    std::string text;  // UTF-8
};

class FakeUserInterface final : public UserInterface {
public:
    FakeUserInterface() { SetUserInterface(this); }
    ~FakeUserInterface() override { SetUserInterface(nullptr); }

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::pair<std::string, std::string>> ranges;  // Big5 texts; empty queue = cancelled
    bool waitVisible = false;
    int waitHides = 0;
    int lastProgress = 0, lastProgressMax = 0;
    std::function<void(int position)> onProgress;  // may throw, as an abandoned run's step does
    std::function<void()> onProcessEvents;         // the same for the run's other step

    void ShowErrorBox(const std::string& t) override { Add("error", t); }
    void ShowWarningBox(const std::string& t) override { Add("warning", t); }
    void ShowInfoMessage(const std::string& t) override { Add("info", t); }
    void ShowBlueMessage(const std::string& t) override { Add("blue", t); }
    bool AskBlueYesNo(const std::string& t) override {
        Add("askblue", t);
        return Next();
    }
    bool AskYesNo(const std::string& t) override {
        Add("ask", t);
        return Next();
    }
    void ShowWaitMessage(const std::string& t) override {
        Add("wait", t);
        waitVisible = true;
    }
    void HideWaitMessage() override {
        waitVisible = false;
        ++waitHides;
    }
    void SetLineMessage(const std::string& t) override { Add("line", t); }
    void SetProgress(int p, int m) override {
        lastProgress = p;
        lastProgressMax = m;
        if (onProgress) onProgress(p);
    }
    bool AskIndexRange(std::string& from, std::string& to) override {
        if (ranges.empty()) return false;
        from = ranges.front().first;
        to = ranges.front().second;
        ranges.pop_front();
        return true;
    }
    void ProcessEvents() override {
        if (onProcessEvents) onProcessEvents();
    }

    // Texts of one kind, in order.
    std::vector<std::string> Texts(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& s : shown)
            if (s.kind == kind) out.push_back(s.text);
        return out;
    }

private:
    void Add(const char* kind, const std::string& big5) { shown.push_back({kind, Big5ToUtf8(big5)}); }
    bool Next() {
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

}  // namespace qv::test
