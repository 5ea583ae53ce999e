// Compiled with -fexec-charset=CP936: every literal below is stored as CP936 bytes.
#include "resources/texts.h"

namespace text {

extern const char mainCaption[] = "KorvaneV3.1--科瓦讯射频工作室 出品";
extern const char portLabel[] = "串口号";
extern const char baudLabel[] = "波特率";
extern const char parityLabel[] = "校验位";
extern const char dataBitsLabel[] = "数据位";
extern const char stopBitsLabel[] = "停止位";
extern const char serialGroup[] = "串口参数";
extern const char openButton[] = "打开";
extern const char closeButton[] = "关闭";
extern const char operationGroup[] = "操作";
extern const char packetSizeLabel[] = "接收包大小";
extern const char rxCountLabel[] = "接收(RX):";
extern const char txCountLabel[] = "发送(TX):";
extern const char sendButton[] = "手动输出";
extern const char statusLabel[] = "状态：";
extern const char clearButton[] = "清空";
extern const char setButton[] = "设置";
extern const char outputLabel[] = "输出：";
extern const char receiveLabel[] = "接收：";
extern const char resetCountButton[] = "计数清零";
extern const char pauseCheck[] = "暂停显示";
extern const char advice[] = "提醒:接收包大小只在性能特殊\n\n要求情况下考虑设置!";
extern const char hexCheck[] = "十六进制";
extern const char timedSendCheck[] = "定时输出";
extern const char periodLabel[] = "周期(ms)：";
extern const char fillButton[] = "填充";
extern const char autoClearCheck[] = "自动清空";

extern const char aboutCaption[] = "关于";
extern const char aboutVersion[] = "Korvane3.1 版";
extern const char aboutLine[] = "无线模块串口调试工具";
extern const char aboutCredit[] = "科瓦讯射频工作室 出品";
extern const char okButton[] = "确定";

extern const char aboutMenuItem[] = "关于 Korvane(&A)...";
extern const char saveMenuItem[] = "保存接收数据(&S)...";
extern const char stopSavingMenuItem[] = "停止保存(&S)";
extern const char timeStampsMenuItem[] = "保存时加时间戳(&T)";
extern const char reconnectMenuItem[] = "断开后自动重连(&R)";

extern const char enterInteger[] = "请键入一个整数。";
extern const char enterIntegerInRange[] = "“请填入一个在%1和%2之间的整数。”";

extern const char portListFailed[] = "无法列出串口：";
extern const char portOpened[] = "COM%d 成功打开!";
extern const char portClosed[] = "COM%d 成功关闭!";
extern const char portNotFound[] = "没有发现此串口或被占用";
extern const char noPermissionHint[] = "（无权限：请将用户加入 dialout 组）";
extern const char portNotOpen[] = "串口设备没有打开";
extern const char portNotOpened[] = "串口设备没有打开成功";
extern const char hexLengthInvalid[] = "十六进制数据长度无效!";
extern const char packetSizeSet[] = "接收包大小设置成功!";
extern const char receiveOverflow[] = "接收溢出，已丢失 %u 字节";
extern const char portLost[] = "COM%d 连接已断开!";
extern const char portLostWaiting[] = "COM%d 已断开，等待重新连接…";
extern const char portReconnected[] = "COM%d 已重新连接!";

extern const char saveFailed[] = "接收数据保存失败：%s\n文件：%s";
extern const char saveFolderMissing[] = "文件夹不存在";
extern const char saveDenied[] = "没有写入权限";
extern const char saveDiskFull[] = "磁盘已满";
extern const char saveDeviceGone[] = "磁盘已移除或无法读写";
extern const char saveSystemError[] = "系统错误 %lld";

extern const char* const testCommands[testCommandCount] = {
    R"({"method":"get","params":"all","tid":1001})",
    R"({"method":"set","password":"739251","tid":1001,"xxx":"yyy"})",
    R"({"method":"get","at":"id","tid":1001})",
    R"({"method":"reboot","params":"save","tid":1001})",
};

extern const char dialogFont[] = "宋体";

}  // namespace text
