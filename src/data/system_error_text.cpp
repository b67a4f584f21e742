#include "system_error_text.h"

#include <cerrno>

#include "ui_text.h"

namespace quillmark {

std::string SystemErrorText(int error) {
    switch (error) {
        case ENOENT: return UiText("SystemError", "文件或文件夹不存在");
        case EACCES:
        case EPERM: return UiText("SystemError", "没有权限");
        case ENOSPC: return UiText("SystemError", "磁盘空间不足");
        case EDQUOT: return UiText("SystemError", "超出磁盘配额");
        case EFBIG: return UiText("SystemError", "文件太大");
        case EROFS: return UiText("SystemError", "磁盘只能读取，不能写入");
        case EIO: return UiText("SystemError", "读写磁盘时出错");
        case ENAMETOOLONG: return UiText("SystemError", "文件名太长");
        case EISDIR: return UiText("SystemError", "同名的文件夹已存在");
        case ENOTDIR: return UiText("SystemError", "路径中有一项不是文件夹");
        case EEXIST: return UiText("SystemError", "文件已存在");
        case EMFILE:
        case ENFILE: return UiText("SystemError", "打开的文件太多");
        case EBUSY: return UiText("SystemError", "文件正被使用");
        case EXDEV: return UiText("SystemError", "不能在不同的磁盘之间移动文件");
        case EINVAL: return UiText("SystemError", "名称无效");
        case ENOMEM: return UiText("SystemError", "内存不足");
        default: return FillForm(UiText("SystemError", "系统错误（代码 %1）"), {std::to_string(error)});
    }
}

}  // namespace quillmark
