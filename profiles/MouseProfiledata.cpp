#include "profiles/MouseProfiledata.h"

#include "profiles/JsonFields.h"

#include <array>
#include <cstddef>

using profiles::json::Field;

namespace {

namespace pj = profiles::json;

constexpr std::array kStageFields{
    Field{"StageActive", offsetof(DpiStageRecord, StageActive), 1},
    Field{"StageXY", offsetof(DpiStageRecord, StageXY), 1},
    Field{"StageDPIX", offsetof(DpiStageRecord, StageDPIX), 2},
    Field{"StageDPIY", offsetof(DpiStageRecord, StageDPIY), 2},
    Field{"StageColorR", offsetof(DpiStageRecord, StageColorR), 1},
    Field{"StageColorG", offsetof(DpiStageRecord, StageColorG), 1},
    Field{"StageColorB", offsetof(DpiStageRecord, StageColorB), 1},
};

// "SystemStages"; the report rate stage lives in its own group.
constexpr std::array kSystemFields{
    Field{"DoubleClickTime", offsetof(MouseSystemRecord, DoubleClickTime), 2},
    Field{"MouseSpeed", offsetof(MouseSystemRecord, MouseSpeed), 2},
    Field{"PointerPrecision", offsetof(MouseSystemRecord, PointerPrecision), 2},
    Field{"ScorllPage", offsetof(MouseSystemRecord, ScorllPage), 2},
    Field{"WheelScorlllinse", offsetof(MouseSystemRecord, WheelScorlllinse), 2},
};

constexpr std::array kReportFields{
    Field{"StageActive", offsetof(MouseSystemRecord, ReportStage), 2},
};

} // namespace

std::vector<DpiStageRecord> CMouseProfiledata::GetDpiStages()
{
    const Json::Value& group = pj::Member(Entry(), "DPIStages");
    if (!group.isNull()) {
        m_activeStage = pj::ReadS32(group, "StageActive");
        const Json::Value& stages = pj::Member(group, "StageDPIs");
        if (stages.isArray()) {
            for (Json::ArrayIndex j = 0; j < stages.size(); ++j) {
                DpiStageRecord stage{};
                pj::ReadFields(stages[j], kStageFields, &stage);
                if (j < m_stages.size()) {
                    m_stages[j] = stage;
                } else {
                    m_stages.push_back(stage);
                }
            }
        }
    }
    return m_stages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStageRecord>& stages)
{
    m_stages = stages;
    Json::Value& array = pj::MemberSlot(pj::MemberSlot(Entry(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value* element = pj::ElementSlot(array, static_cast<int64_t>(i));
        if (element == nullptr) {
            break;
        }
        pj::WriteFields(*element, kStageFields, &stages[i]);
    }
}

void CMouseProfiledata::SetActiveStage(int32_t stage)
{
    m_activeStage = stage;
    pj::WriteInt(pj::MemberSlot(Entry(), "DPIStages"), "StageActive", stage);
}

MouseSystemRecord CMouseProfiledata::GetSystemStages()
{
    MouseSystemRecord record{};
    const Json::Value& group = pj::Member(Entry(), "SystemStages");
    if (!group.isNull()) {
        pj::ReadFields(group, kSystemFields, &record);
        pj::ReadFields(pj::Member(Entry(), "ReportStages"), kReportFields, &record);
    }
    m_system = record;
    return record;
}

void CMouseProfiledata::SetSystemStages(const MouseSystemRecord& record)
{
    m_system = record;
    pj::WriteFields(pj::MemberSlot(Entry(), "SystemStages"), kSystemFields, &record);
    pj::WriteFields(pj::MemberSlot(Entry(), "ReportStages"), kReportFields, &record);
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectList()
{
    std::vector<CorrectEntry> list;
    const Json::Value& array = pj::Member(Entry(), "CorrectInfo");
    if (array.isArray()) {
        for (const Json::Value& element : array) {
            CorrectEntry entry;
            entry.CorrectPixThresh = pj::Read8(element, "CorrectPixThresh");
            entry.CorrectMinSq = pj::Read8(element, "CorrectMinSq");
            entry.CorrectSelect = pj::Read8(element, "CorrectSelect");
            entry.CorrectName = pj::ToString(pj::Member(element, "CorrectName"));
            list.push_back(entry);
        }
    }
    m_corrections = list;
    return list;
}
