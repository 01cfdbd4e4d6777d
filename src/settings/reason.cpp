// SPDX-License-Identifier: MIT
#include "settings/reason.h"

#include <cerrno>

#include "platform/save_file.h"
#include "settings/interface_language.h"

namespace codalume {

namespace {

// The errors a file of the user's can meet; the system's own texts are English.
constexpr struct {
    int errorNumber;
    const char *text;
} chineseErrorTexts[] = {
    {EACCES, "没有访问权限"},       {EPERM, "操作不被允许"},
    {ENOENT, "文件或文件夹不存在"}, {ENOTDIR, "路径中有一部分不是文件夹"},
    {EISDIR, "这是一个文件夹"},     {EROFS, "文件系统是只读的"},
    {ENOSPC, "磁盘空间不足"},       {EDQUOT, "超出了磁盘配额"},
    {EIO, "读写设备时出错"},        {ELOOP, "符号链接层数过多"},
    {ENAMETOOLONG, "文件名过长"},   {EEXIST, "文件已存在"},
    {EMFILE, "打开的文件过多"},     {ENFILE, "打开的文件过多"},
    {EBUSY, "文件或设备正忙"},      {EFBIG, "文件过大"},
    {ENOMEM, "内存不足"},
};

}  // namespace

QString Reason::shown() const {
    return interfaceLanguage() == InterfaceLanguage::English ? english : chinese;
}

Reason systemReason(int errorNumber) {
    const QString english = posixError(errorNumber).description;
    for (const auto &[number, text] : chineseErrorTexts) {
        if (number == errorNumber) {
            return {english, QString::fromUtf8(text)};
        }
    }
    return {english, english};
}

Reason fileReason(const FileError &error) {
    if (error.domain == posixErrorDomain &&
        error.description == posixError(error.code).description) {
        return systemReason(static_cast<int>(error.code));
    }
    return {error.description, error.description};
}

}  // namespace codalume
