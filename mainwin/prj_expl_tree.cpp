#include "mainwin/prj_expl_tree.h"

#include <algorithm>

int TExplNode::IndexInParent() const
{
    if (!Parent)
        return 0;
    for (size_t i = 0; i < Parent->Children.size(); ++i)
        if (Parent->Children[i].get() == this)
            return int(i);
    return -1;
}

TExplNode* TExplNode::AddChild(std::unique_ptr<TExplNode> n)
{
    return InsertChild(int(Children.size()), std::move(n));
}

TExplNode* TExplNode::InsertChild(int index, std::unique_ptr<TExplNode> n)
{
    n->Parent = this;
    index = std::clamp(index, 0, int(Children.size()));
    return Children.insert(Children.begin() + index, std::move(n))->get();
}

char ShortcutKey(char shortcut)
{
    int code = uint8_t(shortcut);
    if (code <= 96)
        code += 32;
    return char(code);
}

int ShortcutImage(char shortcut)
{
    const int code = uint8_t(ShortcutKey(shortcut));
    return code >= 'a' && code <= 'z' ? code - 88 : imgShortcutNone;
}

QString GroupNodeText(const TGrpRec& g, int lang)
{
    return g.IdText().toLower() + QStringLiteral(": ") + g.GetName(lang).trimmed();
}

QString ParaNodeText(const TParaRec& p, int lang)
{
    return p.GetIdText() + QStringLiteral(": ") + p.GetName(lang).trimmed();
}

TExplNode* NextNodeInOrder(TExplNode* n)
{
    if (!n)
        return nullptr;
    if (!n->Children.empty())
        return n->Children.front().get();
    while (n->Parent) {
        const int i = n->IndexInParent();
        if (i + 1 < int(n->Parent->Children.size()))
            return n->Parent->Children[size_t(i + 1)].get();
        n = n->Parent;
    }
    return nullptr;
}
