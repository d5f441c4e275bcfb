#pragma once
// The mouse's profile: the shared groups plus its DPI stages, pointer and report rate settings and
// its sensor corrections.

#include "profiles/BasicProfiledata.h"

#include <cstdint>
#include <vector>

class CMouseProfiledata : public CBasicProfiledata
{
public:
    // Reads the active stage and the stages of the document and merges them into the cached list:
    // stage j replaces cached entry j; cached entries beyond the document's stages remain. Returns the
    // whole cached list.
    std::vector<DpiStageRecord> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStageRecord>& stages);
    // The cached active stage (no document access).
    int32_t GetActiveStage() const { return m_activeStage; }
    void SetActiveStage(int32_t stage);
    MouseSystemRecord GetSystemStages();
    void SetSystemStages(const MouseSystemRecord& record);
    std::vector<CorrectEntry> GetCorrectList();

private:
    std::vector<DpiStageRecord> m_stages;
    int32_t m_activeStage = 0;
    MouseSystemRecord m_system{};
    std::vector<CorrectEntry> m_corrections;
};
