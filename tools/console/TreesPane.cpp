#include "ConsoleSession.h"
#include "ItemTreeModel.h"
#include "Panes.h"

#include <I_DataMediator.h>
#include <VideoItem.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QUuid>
#include <QVBoxLayout>

#include <string>

namespace console {

namespace {

typedef QPair<int, QVector<QVector<ItemSnapshot>>> LoadedTrees;

int idx(TreeKind _kind)
{
    return static_cast<int>(_kind);
}

}  // namespace

TreesPane::TreesPane(ConsoleSession& _session, QWidget* _pParent) : QWidget(_pParent), m_session(_session)
{
    auto* pSplitter = new QSplitter(Qt::Horizontal);
    const QString titles[3] = {tr("Resources"), tr("Custom tree"), tr("Passenger-flow tree")};
    for (TreeKind kind : {TreeKind::Resource, TreeKind::Custom, TreeKind::PassengerFlow}) {
        auto* pModel = new ItemTreeModel(kind, this);
        auto* pView = new QTreeView();
        pView->setObjectName(QStringLiteral("tree%1").arg(idx(kind)));
        pView->setModel(pModel);
        pView->setUniformRowHeights(true);  // no per-row measuring on large sites
        pView->header()->setSectionResizeMode(ItemTreeModel::CaptionColumn, QHeaderView::Stretch);
        pView->header()->setStretchLastSection(false);
        auto* pBox = new QWidget();
        auto* pBoxLayout = new QVBoxLayout(pBox);
        pBoxLayout->setContentsMargins(0, 0, 0, 0);
        pBoxLayout->addWidget(new QLabel(titles[idx(kind)]));
        pBoxLayout->addWidget(pView);
        pSplitter->addWidget(pBox);
        m_pModels[idx(kind)] = pModel;
        m_pViews[idx(kind)] = pView;
    }
    m_session.attachModels(m_pModels[0], m_pModels[1], m_pModels[2]);

    auto* pButtons = new QHBoxLayout();
    const QList<QPair<QString, void (TreesPane::*)()>> lstButtons = {
        {tr("Add host…"), &TreesPane::onAddHost},
        {tr("Add group…"), &TreesPane::onAddGroup},
        {tr("Rename…"), &TreesPane::onRename},
        {tr("Delete"), &TreesPane::onDelete},
    };
    for (const auto& button : lstButtons) {
        auto* pButton = new QPushButton(button.first);
        connect(pButton, &QPushButton::clicked, this, button.second);
        pButtons->addWidget(pButton);
    }
    auto* pReload = new QPushButton(tr("Reload"));
    connect(pReload, &QPushButton::clicked, this, &TreesPane::load);
    pButtons->addWidget(pReload);
    pButtons->addStretch();
    m_pResult = new QLabel();
    pButtons->addWidget(m_pResult);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pButtons);
    pLayout->addWidget(pSplitter, 1);
}

ItemTreeModel* TreesPane::model(TreeKind _kind) const
{
    return m_pModels[idx(_kind)];
}

QTreeView* TreesPane::view(TreeKind _kind) const
{
    return m_pViews[idx(_kind)];
}

void TreesPane::load()
{
    m_pResult->setText(tr("Loading the trees…"));
    m_session.call(
        this,
        [](I_DataMediator& _m) {
            LoadedTrees trees;
            trees.first = _m.InitTreeNodeData();
            if (trees.first == 0) {
                for (TreeKind kind : {TreeKind::Resource, TreeKind::Custom, TreeKind::PassengerFlow}) {
                    trees.second.append(snapshotTree(_m, kind));
                }
            }
            return trees;
        },
        [this](const LoadedTrees& _trees) {
            if (_trees.first == 0) {
                for (int i = 0; i < 3; ++i) {
                    m_pModels[i]->resetTo(_trees.second.at(i));
                }
                m_pViews[0]->expandToDepth(0);
                m_pViews[1]->expandAll();
                m_pViews[2]->expandAll();
                m_pResult->setText(tr("%n resource item(s)", nullptr, m_pModels[0]->itemCount()));
            } else {
                m_pResult->setText(tr("The trees could not be loaded (%1)").arg(_trees.first));
            }
            emit loaded(_trees.first);
        });
}

void TreesPane::report(const QString& _strWhat, int _iCode)
{
    m_pResult->setText(_iCode == 0 ? tr("%1: done").arg(_strWhat)
                                   : tr("%1 failed (%2)").arg(_strWhat).arg(_iCode));
    emit finished(_strWhat, _iCode);
}

void TreesPane::addHost(const QString& _strCaption, const QString& _strIp, int _iChannels)
{
    const QString strWhat = tr("Add host %1").arg(_strCaption);
    m_session.call(
        this,
        [_strCaption, _strIp, _iChannels](I_DataMediator& _m) {
            STRCT_VideoHost host;
            host.m_strID = QUuid::createUuid().toString(QUuid::Id128).toStdString();
            host.m_strNodeID = host.m_strID;
            host.m_strCaption = _strCaption.toStdString();
            host.m_strIP = _strIp.toStdString();
            host.m_iHostDevType = 1;
            host.m_iDevType = 1;
            int iRet = _m.InsertHost(&host);
            if (iRet == 0 && _iChannels > 0) {
                // Channels come with the wanted counters of an update.
                host.m_strChannelCount = std::to_string(_iChannels);
                host.m_strAlarmInCount = "0";
                host.m_strAlarmOutCount = "0";
                iRet = _m.UpdateHost(&host);
            }
            return iRet;
        },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

void TreesPane::renameHost(const QString& _strHostID, const QString& _strCaption)
{
    const QString strWhat = tr("Rename host");
    m_session.call(
        this,
        [_strHostID, _strCaption](I_DataMediator& _m) {
            // The update takes the whole host; its counters keep the children as they are.
            const std::string strID = _strHostID.toStdString();
            for (STRCT_VideoItem* pItem : _m.GetAllHostItems()) {
                if (pItem->m_strID == strID && pItem->GetType() == vitHost) {
                    STRCT_VideoHost host(*static_cast<STRCT_VideoHost*>(pItem));
                    host.m_vecChilds.clear();
                    host.m_strCaption = _strCaption.toStdString();
                    return _m.UpdateHost(&host);
                }
            }
            return -1;
        },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

void TreesPane::deleteHost(const QString& _strHostID)
{
    const QString strWhat = tr("Delete host");
    m_session.call(
        this, [_strHostID](I_DataMediator& _m) { return _m.DeleteHost(_strHostID); },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

void TreesPane::addGroup(const QString& _strParentKey, const QString& _strCaption)
{
    const QString strWhat = tr("Add group %1").arg(_strCaption);
    const QString strParent = _strParentKey.isEmpty() ? QString::fromLatin1(kCustomRoot) : _strParentKey;
    m_session.call(
        this,
        [strParent, _strCaption](I_DataMediator& _m) {
            QString strNodeID;
            return _m.InsertCustomTreeGroup(strParent, _strCaption, strNodeID);
        },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

void TreesPane::renameNode(const QString& _strNodeKey, const QString& _strCaption)
{
    const QString strWhat = tr("Rename");
    m_session.call(
        this,
        [_strNodeKey, _strCaption](I_DataMediator& _m) {
            STRCT_VideoGroup node;
            node.m_strNodeID = _strNodeKey.toStdString();
            node.m_strID = node.m_strNodeID;
            node.m_strCaption = _strCaption.toStdString();
            return _m.UpdateCustomTreeNodeCaption(&node);
        },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

void TreesPane::deleteNode(const QString& _strNodeKey)
{
    const QString strWhat = tr("Delete");
    m_session.call(
        this, [_strNodeKey](I_DataMediator& _m) { return _m.DeleteFromCustomTree(_strNodeKey); },
        [this, strWhat](int _iRet) { report(strWhat, _iRet); });
}

QString TreesPane::selectedKey(TreeKind _kind, quint32* _pType) const
{
    const QModelIndex current = m_pViews[idx(_kind)]->currentIndex();
    if (!current.isValid()) {
        return QString();
    }
    if (_pType != nullptr) {
        *_pType = current.data(ItemTreeModel::TypeRole).toUInt();
    }
    return current.siblingAtColumn(0).data(ItemTreeModel::KeyRole).toString();
}

void TreesPane::onAddHost()
{
    bool bOk = false;
    const QString strCaption =
        QInputDialog::getText(this, tr("Add host"), tr("Name:"), QLineEdit::Normal, QString(), &bOk);
    if (!bOk || strCaption.trimmed().isEmpty()) {
        return;
    }
    const QString strIp = QInputDialog::getText(this, tr("Add host"), tr("Address:"), QLineEdit::Normal,
                                                QStringLiteral("192.168.1.64"), &bOk);
    if (!bOk) {
        return;
    }
    const int iChannels = QInputDialog::getInt(this, tr("Add host"), tr("Channels:"), 4, 0, 256, 1, &bOk);
    if (bOk) {
        addHost(strCaption.trimmed(), strIp.trimmed(), iChannels);
    }
}

void TreesPane::onAddGroup()
{
    quint32 uiType = 0;
    QString strParent = selectedKey(TreeKind::Custom, &uiType);
    if (uiType != vitGroup) {
        strParent.clear();  // groups go under groups; anything else: at the top
    }
    bool bOk = false;
    const QString strCaption =
        QInputDialog::getText(this, tr("Add group"), tr("Name:"), QLineEdit::Normal, QString(), &bOk);
    if (bOk && !strCaption.trimmed().isEmpty()) {
        addGroup(strParent, strCaption.trimmed());
    }
}

QString TreesPane::editableSelection(TreeKind& _kind)
{
    quint32 uiType = 0;
    const bool bCustom =
        m_pViews[idx(TreeKind::Custom)]->hasFocus() || selectedKey(TreeKind::Resource).isEmpty();
    _kind = bCustom ? TreeKind::Custom : TreeKind::Resource;
    const QString strKey = selectedKey(_kind, &uiType);
    if (strKey.isEmpty() || (_kind == TreeKind::Resource && uiType != vitHost)) {
        m_pResult->setText(tr("Select a host or a custom-tree node first"));
        return QString();
    }
    return strKey;
}

void TreesPane::onRename()
{
    TreeKind kind = TreeKind::Resource;
    const QString strKey = editableSelection(kind);
    if (strKey.isEmpty()) {
        return;
    }
    bool bOk = false;
    const QString strCaption =
        QInputDialog::getText(this, tr("Rename"), tr("New name:"), QLineEdit::Normal,
                              m_pViews[idx(kind)]->currentIndex().siblingAtColumn(0).data().toString(), &bOk);
    if (!bOk || strCaption.trimmed().isEmpty()) {
        return;
    }
    if (kind == TreeKind::Resource) {
        renameHost(strKey, strCaption.trimmed());
    } else {
        renameNode(strKey, strCaption.trimmed());
    }
}

void TreesPane::onDelete()
{
    TreeKind kind = TreeKind::Resource;
    const QString strKey = editableSelection(kind);
    if (strKey.isEmpty()) {
        return;
    }
    const QString strCaption = m_pViews[idx(kind)]->currentIndex().siblingAtColumn(0).data().toString();
    if (QMessageBox::question(this, tr("Delete"), tr("Delete %1 and everything below it?").arg(strCaption)) !=
        QMessageBox::Yes) {
        return;
    }
    if (kind == TreeKind::Resource) {
        deleteHost(strKey);
    } else {
        deleteNode(strKey);
    }
}

}  // namespace console
