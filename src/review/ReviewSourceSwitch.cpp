#include "review/ReviewSourceSwitch.h"

ReviewSourceSwitch::ReviewSourceSwitch(std::unique_ptr<ReviewSource> local,
                                       std::unique_ptr<ReviewSource> central)
    : m_local(std::move(local)), m_central(std::move(central)), m_current(m_local.get())
{}

ReviewSourceSwitch::~ReviewSourceSwitch() = default;

void ReviewSourceSwitch::useCentral(bool central)
{
    m_current = central && m_central ? m_central.get() : m_local.get();
}

void ReviewSourceSwitch::setCentral(std::unique_ptr<ReviewSource> central)
{
    const bool wasCentral = usesCentral();
    m_central = std::move(central);
    useCentral(wasCentral);
}
