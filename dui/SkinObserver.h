#pragma once
// The skin-change observer: one process-wide observer per parameter type, created on first use, that
// hands every broadcast parameter to each registered receiver in turn (a copy each). A receiver leaves
// the observer when it is destroyed, so a broadcast never reaches a receiver that is gone. UI thread only.

#include "dui/UIDefine.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dui {

// The skin of the main window: a plain colour (bColor = 1) or a background image.
struct SkinChangedParam
{
    uint8_t bColor = 0;
    DWORD bkcolor = 0;
    std::string bgimage;
};

template <class Param>
class ReceiverImpl;

template <class Param>
class ObserverImpl
{
public:
    static ObserverImpl& GetInstance()
    {
        static ObserverImpl instance;
        return instance;
    }

    void AddReceiver(ReceiverImpl<Param>* receiver)
    {
        if (receiver && std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end())
            m_receivers.push_back(receiver);
    }
    void RemoveReceiver(ReceiverImpl<Param>* receiver) { std::erase(m_receivers, receiver); }
    // Calls every receiver's Receive with a copy, in the order they registered; a receiver removed
    // meanwhile is skipped. Answers how many received it.
    int Broadcast(const Param& param)
    {
        int count = 0;
        for (ReceiverImpl<Param>* receiver : std::vector<ReceiverImpl<Param>*>(m_receivers)) {
            if (std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end())
                continue;
            receiver->Receive(Param(param));
            ++count;
        }
        return count;
    }
    size_t GetReceiverCount() const { return m_receivers.size(); }

private:
    ObserverImpl() = default;
    std::vector<ReceiverImpl<Param>*> m_receivers;
};

template <class Param>
class ReceiverImpl
{
public:
    virtual ~ReceiverImpl() { ObserverImpl<Param>::GetInstance().RemoveReceiver(this); }
    // Registers with the process-wide observer.
    void AddToObserver() { ObserverImpl<Param>::GetInstance().AddReceiver(this); }
    virtual bool Receive(Param param) = 0;
};

} // namespace dui
