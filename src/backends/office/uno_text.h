#pragma once
// Conversions between the texts and values of Qt and of UNO.

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>

#include <vector>

namespace office
{

inline rtl::OUString ToUno(const QString &text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()), text.size());
}

inline QString FromUno(const rtl::OUString &text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.getStr()), text.getLength());
}

// The file URL of a path: its bytes on disk escaped one by one, whatever
// our locale, so that a soffice with a UTF-8 locale finds the same file.
QString FileUrlText(const QString &path);
inline rtl::OUString FileUrl(const QString &path)
{
    return ToUno(FileUrlText(path));
}

inline css::beans::PropertyValue Property(const char *name, const css::uno::Any &value)
{
    css::beans::PropertyValue property;
    property.Name = rtl::OUString::createFromAscii(name);
    property.Value = value;
    return property;
}

// The SDK's Sequence has no initialiser-list constructor.
template <typename T> css::uno::Sequence<T> SequenceOf(const std::vector<T> &items)
{
    return css::uno::Sequence<T>(items.data(), static_cast<sal_Int32>(items.size()));
}

} // namespace office
