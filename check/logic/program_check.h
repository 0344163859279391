// The program check: one pass over the program's lines that follows the modal state a control
// keeps (motion, plane, feed, spindle, tool, length and radius offsets, positions) and reports,
// line by line, what a control would alarm on and what it would run though it is risky. The
// structure of the whole program (calls, jump targets, numbers, the ends) is checked from what
// the pass gathered; the rapids into the material come from the stock simulation.
//
// A check keeps the modal state at every few thousand lines, so that after an edit only the
// lines from the change to the point where the state is again what it was are run again.
#pragma once

#include "check/logic/check_rules.h"
#include "preview/logic/macro_expression.h"
#include "preview/logic/stock/tool_shape.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

struct TravelBox {
    double min[3];
    double max[3];
};

struct CheckOptions {
    std::array<bool, kRuleCount> enabled = [] {
        std::array<bool, kRuleCount> all{};
        all.fill(true);
        return all;
    }();
    double arcTolerance = 0.01;  // end radius may differ from the start radius by this (mm)
    std::optional<TravelBox> travel;  // the machine's travel in program coordinates; none: not checked
    bool toolChangeStopsSpindle = true;  // M06 stops the spindle (most controls)
    preview::stock::ToolTable tools;     // sizes for the stock simulation, over the program's comments

    bool on(Rule rule) const { return enabled[static_cast<std::size_t>(rule)]; }
};

struct Finding {
    std::uint32_t line;  // 0-based
    Rule rule;
    std::string message;  // Japanese, naming the words concerned

    Severity severity() const { return ruleInfo(rule).severity; }
    bool operator==(const Finding&) const = default;
};

// "LINE: severity: message [rule]"
std::string findingLine(const Finding& finding);

struct FindingCounts {
    int errors = 0, warnings = 0, notes = 0;
};
FindingCounts countFindings(const std::vector<Finding>& findings);

class ProgramCheck {
public:
    explicit ProgramCheck(CheckOptions options = {});
    ~ProgramCheck();
    ProgramCheck(ProgramCheck&&) noexcept;
    ProgramCheck& operator=(ProgramCheck&&) noexcept;

    const CheckOptions& options() const { return options_; }

    // Checks the whole text with every rule but the stock's (see stockFindings).
    void run(std::string_view text, const std::atomic<bool>* cancel = nullptr);
    // The same after a change: lines [firstLine, lastLine] of `text` hold all it changed, and it has
    // `lineDelta` more lines than the text checked last. Runs the whole text when nothing was
    // checked before.
    void update(std::string_view text, int firstLine, int lastLine, int lineDelta,
                const std::atomic<bool>* cancel = nullptr);
    bool cancelled() const { return cancelled_; }
    // Lines the last run or update went through.
    std::uint32_t linesRun() const { return linesRun_; }

    // The findings of the stock simulation (rapid-into-stock); kept, moved with the lines, until
    // the next call. They are worked out apart because the simulation takes longer.
    void setStockFindings(std::vector<Finding> findings);
    // Every finding, by line.
    const std::vector<Finding>& findings() const { return findings_; }
    // Bytes held (the kept states, the facts and the findings).
    std::size_t memoryBytes() const;

    struct State;
    struct Fact;
    struct Snapshot;

private:
    void finish(std::string_view text);
    void structureFindings(std::string_view text, std::vector<Finding>& out) const;

    CheckOptions options_;
    std::vector<Finding> lineFindings_;   // from the pass, by line
    std::vector<Finding> stockFindings_;  // by line
    std::vector<Fact> facts_;             // by line
    std::vector<Snapshot> snapshots_;     // by line; the first at line 0
    std::vector<Finding> findings_;
    std::size_t textSize_ = 0;    // of the text checked last
    std::size_t lineBreaks_ = 0;  // its line breaks
    bool checked_ = false;
    bool cancelled_ = false;
    std::uint32_t linesRun_ = 0;
};

// The rapids into the material (rapid-into-stock) of the whole program, by the stock simulation
// with the program's tools (and the options' table); empty when the rule is off or on a cancel.
// `cutShort` tells whether the interpreter's bounds cut the path short (the rest was not simulated).
std::vector<Finding> stockFindings(std::string_view text, const CheckOptions& options,
                                   const std::atomic<bool>* cancel = nullptr, bool* cutShort = nullptr);

// Everything: the pass and the stock simulation; by line.
std::vector<Finding> checkProgram(std::string_view text, const CheckOptions& options = {}, bool* cutShort = nullptr);

}  // namespace zorvan::check
