<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CurvePreview</name>
    <message>
        <source>Add %1?</source>
        <translation>添加 %1？</translation>
    </message>
    <message>
        <source>%1, read as %2</source>
        <translation>%1，按 %2 读取</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Gains from 30 Hz to 16 kHz: %1 dB</source>
        <translation>30 Hz 至 16 kHz 的增益：%1 dB</translation>
    </message>
    <message>
        <source>Up to %1 dB from the file&apos;s gains</source>
        <translation>与文件中的增益最多相差 %1 dB</translation>
    </message>
    <message>
        <source>The curve moved by %1 dB, so that its mean over 20 Hz-20 kHz is 0 dB</source>
        <translation>曲线整体移动了 %1 dB，使其在 20 Hz-20 kHz 上的平均值为 0 dB</translation>
    </message>
    <message>
        <source>The bands differ from it by %1 dB RMS, %2 dB at most, over 20 Hz-20 kHz</source>
        <translation>在 20 Hz-20 kHz 上，十个频段与曲线相差 %1 dB（均方根），最多 %2 dB</translation>
    </message>
    <message>
        <source>The receiver takes -12 to 12 dB: 1 band was cut, by up to %1 dB.</source>
        <translation>接收器只接受 -12 到 12 dB：已截去 1 个频段，最多 %1 dB。</translation>
    </message>
    <message>
        <source>The receiver takes -12 to 12 dB: %1 bands were cut, by up to %2 dB.</source>
        <translation>接收器只接受 -12 到 12 dB：已截去 %1 个频段，最多 %2 dB。</translation>
    </message>
    <message>
        <source>Left and right differ by up to %1 dB: both sides averaged</source>
        <translation>左右声道最多相差 %1 dB：已取两侧的平均值</translation>
    </message>
    <message>
        <source>The file&apos;s curve</source>
        <translation>文件中的曲线</translation>
    </message>
    <message>
        <source>The receiver&apos;s ten bands</source>
        <translation>接收器的十个频段</translation>
    </message>
</context>
<context>
    <name>ReceiverModel</name>
    <message>
        <source>Please Insert Device!</source>
        <translation>请插入设备！</translation>
    </message>
    <message>
        <source>The device does not support this algorithm</source>
        <translation>该设备不支持此算法</translation>
    </message>
    <message>
        <source>no such preset</source>
        <translation>没有此预设</translation>
    </message>
    <message>
        <source>no custom mode in slot %1</source>
        <translation>位置 %1 没有自定义模式</translation>
    </message>
    <message>
        <source>A mode needs a name</source>
        <translation>模式需要一个名称</translation>
    </message>
    <message>
        <source>A name has at most %1 characters</source>
        <translation>名称最多 %1 个字符</translation>
    </message>
    <message>
        <source>A name cannot hold line breaks, tabs or other control characters</source>
        <translation>名称不能包含换行符、制表符或其他控制字符</translation>
    </message>
    <message>
        <source>The current name has been applied</source>
        <translation>当前名称已被使用</translation>
    </message>
    <message>
        <source>A tab keeps %1 custom modes</source>
        <translation>每个标签页最多保存 %1 个自定义模式</translation>
    </message>
    <message>
        <source>the receiver told no identity; its modes cannot be kept</source>
        <translation>接收器未提供身份标识，无法保存它的模式</translation>
    </message>
    <message>
        <source>a built-in preset cannot be changed</source>
        <translation>内置预设不能更改</translation>
    </message>
    <message>
        <source>no custom mode chosen</source>
        <translation>未选择自定义模式</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>prompt</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Program is running</source>
        <translation>程序正在运行</translation>
    </message>
    <message>
        <source>VoxBench cannot make sure that it runs only once (%1)</source>
        <translation>VoxBench 无法确保只运行一个实例（%1）</translation>
    </message>
</context>
<context>
    <name>UserFolder</name>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>No Execution Permission!</source>
        <translation>没有执行权限！</translation>
    </message>
</context>
<context>
    <name>VoxBench</name>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Your modes could not be saved.

File: %1
Reason: %2

VoxBench keeps your changes until it ends; this is said once per run.</source>
        <translation>无法保存您的模式。

文件：%1
原因：%2

VoxBench 会保留您的更改直到程序退出；每次运行只提示一次。</translation>
    </message>
    <message>
        <source>prompt</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The headset receiver was found, but access to it was denied.

Install the VoxBench package, which brings the udev rule 70-voxbench.rules, or copy that rule from the build folder packaging/ to /etc/udev/rules.d/ and run &quot;sudo udevadm control --reload-rules&quot;.

Then unplug the receiver and plug it in again.</source>
        <translation>已找到耳机接收器，但无权访问它。

请安装 VoxBench 软件包（其中带有 udev 规则 70-voxbench.rules），或将该规则从构建目录 packaging/ 复制到 /etc/udev/rules.d/，然后运行“sudo udevadm control --reload-rules”。

之后拔下接收器并重新插入。</translation>
    </message>
    <message>
        <source>Pleasr Insert Device!</source>
        <translation>请插入设备！</translation>
    </message>
    <message>
        <source>Start at log-on</source>
        <translation>登录时启动</translation>
    </message>
    <message>
        <source>Cannot change the log-on entry %1</source>
        <translation>无法更改登录启动项 %1</translation>
    </message>
    <message>
        <source>Pelago Didavada K10-RX</source>
        <translation>Pelago Didavada K10-RX</translation>
    </message>
    <message>
        <source>Message Title</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>Welcome to program</source>
        <translation>欢迎使用本程序</translation>
    </message>
    <message>
        <source>Main Page</source>
        <translation>主界面</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
    <message>
        <source>it did not end</source>
        <translation>文件没有结束</translation>
    </message>
    <message>
        <source>%1 is not a mode file: %2</source>
        <translation>%1 不是模式文件：%2</translation>
    </message>
    <message>
        <source>While %1 runs: %2 (%3)</source>
        <translation>%1 运行时：%2（%3）</translation>
    </message>
    <message>
        <source>7.1 surround</source>
        <translation>7.1 环绕声</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>立体声</translation>
    </message>
    <message>
        <source>Close VoxBench</source>
        <translation>关闭 VoxBench</translation>
    </message>
    <message>
        <source>This desktop has no tray to bring VoxBench back from.

Keep VoxBench running in the background, so that its rules and the receiver&apos;s settings after sleep go on? Starting VoxBench again shows the window; &quot;voxbench background off&quot; changes this later.</source>
        <translation>此桌面没有托盘，无法从托盘重新打开 VoxBench。

让 VoxBench 在后台继续运行，以便继续执行其规则，并在睡眠后恢复接收器的设置？再次启动 VoxBench 会显示窗口；以后可用 &quot;voxbench background off&quot; 更改。</translation>
    </message>
    <message>
        <source>Keep running in the background</source>
        <translation>在后台继续运行</translation>
    </message>
</context>
<context>
    <name>VoxBenchClass</name>
    <message>
        <source>7.1 Surround Sound (Game)</source>
        <translation>7.1 环绕声（游戏）</translation>
    </message>
    <message>
        <source>PelagoPlay Standard</source>
        <translation>PelagoPlay 标准</translation>
    </message>
    <message>
        <source>FPS</source>
        <translation>FPS</translation>
    </message>
    <message>
        <source>Moba</source>
        <translation>Moba</translation>
    </message>
    <message>
        <source>Flat</source>
        <translation>平直</translation>
    </message>
    <message>
        <source>Customize</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Mode1</source>
        <translation>Mode1</translation>
    </message>
    <message>
        <source>Mode2</source>
        <translation>Mode2</translation>
    </message>
    <message>
        <source>Mode3</source>
        <translation>Mode3</translation>
    </message>
    <message>
        <source>Mode4</source>
        <translation>Mode4</translation>
    </message>
    <message>
        <source>Mode5</source>
        <translation>Mode5</translation>
    </message>
    <message>
        <source>Stereo Sound (Music)</source>
        <translation>立体声（音乐）</translation>
    </message>
    <message>
        <source>Jazz</source>
        <translation>爵士</translation>
    </message>
    <message>
        <source>Classic</source>
        <translation>古典</translation>
    </message>
    <message>
        <source>Mic ENC</source>
        <translation>麦克风降噪</translation>
    </message>
    <message>
        <source>Mic ENC(Environment Noise Cancellation)</source>
        <translation>麦克风 ENC（环境噪声消除）</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>30</source>
        <translation>30</translation>
    </message>
    <message>
        <source>60</source>
        <translation>60</translation>
    </message>
    <message>
        <source>120</source>
        <translation>120</translation>
    </message>
    <message>
        <source>250</source>
        <translation>250</translation>
    </message>
    <message>
        <source>500</source>
        <translation>500</translation>
    </message>
    <message>
        <source>1k</source>
        <translation>1k</translation>
    </message>
    <message>
        <source>2k</source>
        <translation>2k</translation>
    </message>
    <message>
        <source>4k</source>
        <translation>4k</translation>
    </message>
    <message>
        <source>8k</source>
        <translation>8k</translation>
    </message>
    <message>
        <source>16k</source>
        <translation>16k</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source> PelagoPlay 7.1 Surround Sound Hub</source>
        <translation> PelagoPlay 7.1 环绕声音频中心</translation>
    </message>
    <message>
        <source>30 Hz</source>
        <translation>30 Hz</translation>
    </message>
    <message>
        <source>60 Hz</source>
        <translation>60 Hz</translation>
    </message>
    <message>
        <source>120 Hz</source>
        <translation>120 Hz</translation>
    </message>
    <message>
        <source>250 Hz</source>
        <translation>250 Hz</translation>
    </message>
    <message>
        <source>500 Hz</source>
        <translation>500 Hz</translation>
    </message>
    <message>
        <source>1 kHz</source>
        <translation>1 kHz</translation>
    </message>
    <message>
        <source>2 kHz</source>
        <translation>2 kHz</translation>
    </message>
    <message>
        <source>4 kHz</source>
        <translation>4 kHz</translation>
    </message>
    <message>
        <source>8 kHz</source>
        <translation>8 kHz</translation>
    </message>
    <message>
        <source>16 kHz</source>
        <translation>16 kHz</translation>
    </message>
    <message>
        <source>%1, %2 dB</source>
        <translation>%1，%2 dB</translation>
    </message>
    <message>
        <source>Add mode</source>
        <translation>添加模式</translation>
    </message>
    <message>
        <source>Adds a custom mode to this tab, up to five</source>
        <translation>为此标签页添加一个自定义模式，最多五个</translation>
    </message>
    <message>
        <source>Delete mode</source>
        <translation>删除模式</translation>
    </message>
    <message>
        <source>Deletes the chosen custom mode</source>
        <translation>删除所选的自定义模式</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Speaker test</source>
        <translation>扬声器测试</translation>
    </message>
    <message>
        <source>Plays a test sound on each of the seven speakers in turn</source>
        <translation>依次在七个扬声器上播放测试音</translation>
    </message>
    <message>
        <source>Mode name</source>
        <translation>模式名称</translation>
    </message>
    <message>
        <source>The name of the chosen custom mode, given with Save</source>
        <translation>所选自定义模式的名称，点击“保存”生效</translation>
    </message>
    <message>
        <source>Puts the sliders of the chosen custom mode back to 0 dB</source>
        <translation>将所选自定义模式的滑块恢复为 0 dB</translation>
    </message>
    <message>
        <source>Gain of the band, from -12 to +12 dB</source>
        <translation>该频段的增益，范围 -12 至 +12 dB</translation>
    </message>
</context>
</TS>
