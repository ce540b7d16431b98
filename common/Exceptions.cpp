#include "Exceptions.h"

QString exceptionMessage(const std::exception& error)
{
    if (auto skelderError = dynamic_cast<const ESkelderError*>(&error))
        return skelderError->message();
    return QString::fromUtf8(error.what());
}
