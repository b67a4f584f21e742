#include "system_error_text.h"

#include <cerrno>

namespace quillmark {

std::string SystemErrorText(int error) {
    switch (error) {
        case ENOENT: return "文件或文件夹不存在";
        case EACCES:
        case EPERM: return "没有权限";
        case ENOSPC: return "磁盘空间不足";
        case EDQUOT: return "超出磁盘配额";
        case EFBIG: return "文件太大";
        case EROFS: return "磁盘只能读取，不能写入";
        case EIO: return "读写磁盘时出错";
        case ENAMETOOLONG: return "文件名太长";
        case EISDIR: return "同名的文件夹已存在";
        case ENOTDIR: return "路径中有一项不是文件夹";
        case EEXIST: return "文件已存在";
        case EMFILE:
        case ENFILE: return "打开的文件太多";
        case EBUSY: return "文件正被使用";
        case EXDEV: return "不能在不同的磁盘之间移动文件";
        case EINVAL: return "名称无效";
        case ENOMEM: return "内存不足";
        default: return "系统错误（代码 " + std::to_string(error) + "）";
    }
}

}  // namespace quillmark
