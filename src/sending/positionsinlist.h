#pragma once

#include <QList>
#include <algorithm>
#include <numeric>

// The run's positions still in the list, in list order. When several numbers are out at once
// (several modems, a gateway), a position no longer tells where its number sits in the list.
class PositionsInList
{
public:
    explicit PositionsInList(int total) : m_positions(total) { std::iota(m_positions.begin(), m_positions.end(), 0); }

    // Where the number of pos sits in the list now; it is no longer counted there.
    int take(int pos)
    {
        const auto at = std::lower_bound(m_positions.begin(), m_positions.end(), pos);
        const int index = int(at - m_positions.begin());
        m_positions.erase(at);
        return index;
    }

private:
    QList<int> m_positions;
};
