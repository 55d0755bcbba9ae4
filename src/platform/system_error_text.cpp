#include "platform/system_error_text.h"

#include <cerrno>
#include <string>

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
    case EOVERFLOW:
      return "ファイルが大きすぎます";
    case ENAMETOOLONG:
      return "名前が長すぎます";
    case EIO:
      return "入出力エラーが起きました";
    case ELOOP:
      return "シンボリックリンクが循環しているか、たどる数が多すぎます";
    case EMFILE:
    case ENFILE:
      return "同時に開いているファイルが多すぎます";
    case EXDEV:
      return "別のボリュームへは移せません";
    case EEXIST:
    case ENOTEMPTY:
      return "同じ名前の項目が既にあります";
    case EBUSY:
    case ETXTBSY:
      return "ほかのプログラムが使用中です";
    case EINVAL:
      return "この項目にはその操作ができません";
    case ENOMEM:
      return "メモリが足りません";
    case ESTALE:
      return "ネットワーク上の項目が無効になっています";
    case EAGAIN:
    case EINTR:
      return "一時的に使えません。もう一度試してください";
    case ENXIO:
    case ENODEV:
      return "装置が見つかりません";
    case EMLINK:
      return "リンクの数が多すぎます";
    case ENOTSUP:
#if EOPNOTSUPP != ENOTSUP
    case EOPNOTSUPP:
#endif
      return "このボリュームではその操作ができません";
    case ETIMEDOUT:
      return "時間内に応答がありません";
    case EBADF:
      return "ファイルが開かれていません";
    case EFAULT:
      return "不正なアドレスです";
    case ENOTCONN:
    case ECONNABORTED:
    case ECONNRESET:
    case EHOSTDOWN:
      return "ネットワークの接続が切れています";
    case ENOLCK:
      return "ファイルをロックできません";
    case ECANCELED:
      return "操作が取り消されました";
    default:
      return "システムエラー（番号 " + std::to_string(error) + "）が起きました";
  }
}
