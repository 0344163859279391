#include "check/logic/check_rules.h"

namespace zorvan::check {

const std::vector<RuleInfo>& allRules()
{
    using S = Severity;
    static const std::vector<RuleInfo> rules = {
        {Rule::UnreadableWord, "unreadable-word", S::Error, "読めないワードや数値"},
        {Rule::RepeatedLetter, "repeated-letter", S::Error, "1 ブロックに同じアドレスが 2 回"},
        {Rule::UnknownCode, "unknown-code", S::Warning, "プレビューが扱わない G コード"},
        {Rule::ArcOffCircle, "arc-off-circle", S::Error, "円弧の終点が円上にない"},
        {Rule::ArcRadiusShort, "arc-radius-short", S::Error, "R 円弧の弦が直径より長い"},
        {Rule::ArcWrongPlane, "arc-wrong-plane", S::Warning, "平面に合わない I/J/K"},
        {Rule::NoFeed, "no-feed", S::Error, "F のない切削送り"},
        {Rule::SpindleStopped, "spindle-stopped", S::Error, "主軸停止中の切削"},
        {Rule::NoLengthOffset, "no-length-offset", S::Warning, "工具交換後 G43 H なしの切削"},
        {Rule::OffsetNumber, "offset-number", S::Note, "H/D 番号が工具番号と違う"},
        {Rule::CompensationNoD, "compensation-no-d", S::Error, "D のない G41/G42"},
        {Rule::CompensationArcFirst, "compensation-arc-first", S::Error, "G41/G42 の最初の移動が円弧"},
        {Rule::CompensationOpen, "compensation-open", S::Warning, "工具交換や終わりで工具径補正が有効のまま"},
        {Rule::RapidIntoStock, "rapid-into-stock", S::Error, "早送りで材料に当たる"},
        {Rule::OutsideTravel, "outside-travel", S::Error, "機械のストロークの外への移動"},
        {Rule::MissingProgram, "missing-program", S::Warning, "ファイルにないプログラムの呼び出し"},
        {Rule::MissingTarget, "missing-target", S::Error, "GOTO の行き先がない"},
        {Rule::DuplicateN, "duplicate-n", S::Error, "GOTO/M99 P の行き先の N 番号が重複"},
        {Rule::DuplicateO, "duplicate-o", S::Error, "O 番号が 2 回"},
        {Rule::NoEnd, "no-end", S::Warning, "終わりに M30/M02/M99 がない"},
        {Rule::PercentFraming, "percent-framing", S::Warning, "% の囲みが崩れている"},
    };
    return rules;
}

const RuleInfo& ruleInfo(Rule rule)
{
    return allRules()[static_cast<std::size_t>(rule)];
}

std::optional<Rule> ruleFromId(std::string_view id)
{
    for (const RuleInfo& info : allRules())
        if (id == info.id)
            return info.rule;
    return std::nullopt;
}

const char* severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "error";
}

}  // namespace zorvan::check
