// Frees a mediator's resource items, which stay the caller's after the mediator is gone.
#ifndef TESSEL_BENCH_FREE_TREE_H
#define TESSEL_BENCH_FREE_TREE_H

#include "I_DataMediator.h"

namespace benchsite {

inline void freeTree(I_DataMediator& _mediator)
{
    const QVector<STRCT_VideoItem*> vecHosts = _mediator.GetAllHostItems();
    STRCT_VideoItem* pRoot = vecHosts.isEmpty()
                                 ? nullptr
                                 : _mediator.GetHostItemOfChild(QString::fromStdString(vecHosts[0]->m_strID));
    for (STRCT_VideoItem* pHost : vecHosts) {
        for (STRCT_VideoItem* pChild : pHost->m_vecChilds) {
            delete pChild;
        }
        delete pHost;
    }
    delete pRoot;
}

}  // namespace benchsite

#endif  // TESSEL_BENCH_FREE_TREE_H
