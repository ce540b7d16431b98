#include "CTLibBase.h"

#include <memory>

namespace {
std::unique_ptr<QList<TCTLibBase*>> boundRegistry;
}  // namespace

TCTLibBase::TCTLibBase(QObject* owner) : QObject(owner)
{
    if (!boundRegistry)
        boundRegistry = std::make_unique<QList<TCTLibBase*>>();
}

TCTLibBase::~TCTLibBase()
{
    if (boundRegistry) {
        boundRegistry->removeAll(this);
        if (boundRegistry->isEmpty())
            boundRegistry.reset();
    }
}

void TCTLibBase::SetName(const QString& name)
{
    setObjectName(name);
    if (!boundRegistry)
        boundRegistry = std::make_unique<QList<TCTLibBase*>>();
    if (!boundRegistry->contains(this))
        boundRegistry->append(this);
}

QList<TCTLibBase*> RegisteredBoundComponents()
{
    return boundRegistry ? *boundRegistry : QList<TCTLibBase*>();
}
