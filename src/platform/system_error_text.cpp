#include "system_error_text.h"

#include <cerrno>
#include <cstring>

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOENT:
      return "ファイルまたはフォルダが見つかりません";
    case ENOTDIR:
      return "途中の項目がフォルダではありません";
    case EISDIR:
      return "同じ名前のフォルダがあります";
    case EACCES:
    case EPERM:
      return "アクセス権がありません";
    case EROFS:
      return "読み出し専用のボリュームです";
    case ENOSPC:
    case EDQUOT:
      return "ディスクに空きがありません";
    case EFBIG:
      return "ファイルが大きすぎます";
    case ENAMETOOLONG:
      return "名前が長すぎます";
    case EIO:
      return "入出力エラーが起きました";
    default:
      return std::strerror(error);
  }
}
