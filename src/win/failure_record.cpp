#include "win/failure_record.h"

#include <windows.h>
#include <wininet.h>

#include "text/encoding.h"

FailureCause CauseOfSystemError(unsigned long error) {
  switch (error) {
    case ERROR_INTERNET_TIMEOUT:
    case ERROR_TIMEOUT:
    case WAIT_TIMEOUT:
      return FailureCause::NoAnswer;
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_CONNECTION_REFUSED:
      return FailureCause::Refused;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return FailureCause::HostNotFound;
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return FailureCause::Broken;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED:
    case ERROR_INTERNET_FORTEZZA_LOGIN_NEEDED:
      return FailureCause::Tls;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_FAULT:
      return FailureCause::Disk;
    default:
      return FailureCause::System;
  }
}

Failure SystemFailure(const char* stage, unsigned long error) { return {stage, CauseOfSystemError(error), error}; }

const char* CauseName(FailureCause cause) {
  switch (cause) {
    case FailureCause::NoAnswer: return "no answer";
    case FailureCause::Refused: return "refused";
    case FailureCause::HostNotFound: return "host not found";
    case FailureCause::Tls: return "TLS";
    case FailureCause::Broken: return "connection broken";
    case FailureCause::HttpStatus: return "HTTP status";
    case FailureCause::TooLarge: return "over the size limit";
    case FailureCause::Deadline: return "deadline";
    case FailureCause::TooSlow: return "too slow";
    case FailureCause::Signature: return "signature";
    case FailureCause::NotNewer: return "not a newer version";
    case FailureCause::Expired: return "expired";
    case FailureCause::FileName: return "file name";
    case FailureCause::Hash: return "hash";
    case FailureCause::Disk: return "disk";
    case FailureCause::Stopped: return "stopped";
    case FailureCause::System: return "system error";
  }
  return "system error";
}

std::string CauseInWords(const Failure& failure) {
  if (std::string_view(failure.stage) == "address") return "地址无效";
  switch (failure.cause) {
    case FailureCause::NoAnswer:
    case FailureCause::Deadline: return "网站没有按时回应";
    case FailureCause::Refused: return "网站拒绝了连接";
    case FailureCause::HostNotFound: return "找不到网站（域名无法解析）";
    case FailureCause::Tls: return "安全连接（TLS）失败";
    case FailureCause::Broken: return "连接中途断开";
    case FailureCause::HttpStatus: return "网站回答 HTTP " + std::to_string(failure.code);
    case FailureCause::TooLarge: return "内容太大，超过上限";
    case FailureCause::TooSlow: return "传输太慢";
    case FailureCause::Signature: return "更新说明没有有效的签名";
    case FailureCause::NotNewer: return "没有更新的版本";
    case FailureCause::Expired: return "更新说明已过期";
    case FailureCause::FileName: return "文件名不合规";
    case FailureCause::Hash: return "文件校验不符";
    case FailureCause::Disk: return "文件写入失败（系统错误 " + std::to_string(failure.code) + "）";
    case FailureCause::Stopped: return "已取消";
    case FailureCause::System: break;
  }
  return "系统错误 " + std::to_string(failure.code);
}

std::string FailureLine(std::string_view what, const Failure& failure) {
  std::string line = "Ravo字幕器: " + std::string(what) + " failed at " + failure.stage + ": " + CauseName(failure.cause);
  if (failure.cause == FailureCause::HttpStatus)
    line += " (HTTP " + std::to_string(failure.code) + ")";
  else if (failure.code >= INTERNET_ERROR_BASE && failure.code < INTERNET_ERROR_BASE + 1000)
    line += " (WinInet error " + std::to_string(failure.code) + ")";
  else if (failure.code != 0)
    line += " (system error " + std::to_string(failure.code) + ")";
  return line;
}

void RecordFailure(std::string_view what, const Failure& failure) {
  OutputDebugStringW(enc::Wide(FailureLine(what, failure) + "\n").c_str());
}
