<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>HotKeyFooter</name>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>热键 F7–F10 仅在本窗口有效（桌面未提供全局热键）</source>
        <translation>Keys F7–F10 work in this window only (the desktop offers no global keys)</translation>
    </message>
    <message>
        <source>全局热键：正在向桌面门户申请…</source>
        <translation>Global keys: asking the desktop portal…</translation>
    </message>
    <message>
        <source>全局热键：桌面门户（可在系统设置 › 快捷键中更改）</source>
        <translation>Global keys: desktop portal (change them in System Settings › Shortcuts)</translation>
    </message>
    <message>
        <source>全局热键：桌面门户；%1 未获准，仅在本窗口有效，可在系统设置 › 快捷键中设置</source>
        <translation>Global keys: portal; %1 not granted, in this window only (System Settings › Shortcuts)</translation>
    </message>
    <message>
        <source>全局热键 F7–F10：%1</source>
        <translation>Global keys F7–F10: %1</translation>
    </message>
    <message>
        <source>全局热键：%1；%2 已被其他程序占用，请用鼠标点击对应按钮</source>
        <translation>Global keys: %1; %2 taken by another program, click the buttons instead</translation>
    </message>
</context>
<context>
    <name>MainController</name>
    <message>
        <source>　字幕叠加已关闭（Ctrl+T 显示）</source>
        <translation> · subtitles on the picture hidden (Ctrl+T shows them)</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>文件无法打开</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>无法识别的文件格式</source>
        <translation>unknown file format</translation>
    </message>
    <message>
        <source>文件中没有可播放的视频或音频</source>
        <translation>the file holds no video or audio that can be played</translation>
    </message>
    <message>
        <source>无法播放：</source>
        <translation>Cannot play: </translation>
    </message>
    <message>
        <source>无法显示视频：</source>
        <translation>Cannot show the video: </translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>正在打开…</source>
        <translation>Opening…</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>播放完毕</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>正在播放</source>
        <translation>Playing</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
</context>
<context>
    <name>PortalHotKeyService</name>
    <message>
        <source>标记本句起始时间并播放</source>
        <translation>Mark the start of the line and play</translation>
    </message>
    <message>
        <source>标记本句终止时间并循环播放本句</source>
        <translation>Mark the end of the line and loop it</translation>
    </message>
    <message>
        <source>修改已做好的字幕</source>
        <translation>Edit the subtitles made so far</translation>
    </message>
    <message>
        <source>继续制作字幕</source>
        <translation>Go on making subtitles</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>SRT外挂字幕制作</source>
        <translation>Vantor SRT Subtitles</translation>
    </message>
    <message>
        <source>计时设置</source>
        <translation>Timing</translation>
    </message>
    <message>
        <source> 毫秒</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>每次按 F9、F10 标记时间时，从视频位置中减去这段按键反应时间。</source>
        <translation>Taken off the video position at every F9 and F10 mark: the time a key press takes you.</translation>
    </message>
    <message>
        <source>按键反应时间：</source>
        <translation>Reaction time:</translation>
    </message>
</context>
<context>
    <name>SubtitleFileSet</name>
    <message>
        <source>
字幕文件没有打开，也没有被改动。</source>
        <translation>
The subtitle file was not opened and has not been changed.</translation>
    </message>
    <message>
        <source>
字幕文件无法保存在视频旁边，所以不能制作字幕。请把视频放到可以写入的文件夹里（或移走挡住的文件），再打开视频。</source>
        <translation>
The subtitle files cannot be saved beside the video, so no subtitles can be made. Put the video in a folder you can write to (or move the file in the way), then open it again.</translation>
    </message>
    <message>
        <source>还没有打开视频。字幕文件保存在视频旁边：请先打开视频（打开视频[O]）。</source>
        <translation>No video is open yet. The subtitle files are saved beside the video: open a video first (Open video [O]).</translation>
    </message>
    <message>
        <source>无法播放 %1：%2
请打开一个视频文件。</source>
        <translation>Cannot play %1: %2
Please open a video file.</translation>
    </message>
    <message>
        <source>SRT字幕文件已存在，是否打开编辑？</source>
        <translation>An SRT subtitle file already exists. Open it for editing?</translation>
    </message>
    <message>
        <source>字幕文件 %1 太大（%2，最大 %3 MB），不像是 SRT 字幕文件。</source>
        <translation>The subtitle file %1 is too large (%2, at most %3 MB) to be an SRT subtitle file.</translation>
    </message>
    <message>
        <source>
字幕仍在内存中，下一次修改时会再次保存。</source>
        <translation>
The subtitles are still in memory and will be saved again at the next change.</translation>
    </message>
</context>
<context>
    <name>TimingAids</name>
    <message>
        <source>；速度 %1</source>
        <translation> · speed %1</translation>
    </message>
    <message>
        <source>；反应补偿 %1 ms</source>
        <translation> · reaction offset %1 ms</translation>
    </message>
</context>
<context>
    <name>WindowKeys</name>
    <message>
        <source>本句起始时间，开始播放</source>
        <translation>mark the start of a line, and play</translation>
    </message>
    <message>
        <source>本句终止时间，本句循环播放</source>
        <translation>mark its end; the line loops</translation>
    </message>
    <message>
        <source>（输入框中）结束本句并自动保存</source>
        <translation>(in the input field) end the line and save</translation>
    </message>
    <message>
        <source>修改字幕</source>
        <translation>edit the subtitles</translation>
    </message>
    <message>
        <source>继续添加字幕</source>
        <translation>go on adding subtitles</translation>
    </message>
    <message>
        <source>打开视频</source>
        <translation>open a video</translation>
    </message>
    <message>
        <source>字体设置</source>
        <translation>Font settings</translation>
    </message>
    <message>
        <source>（字体设置窗口中）保存</source>
        <translation>(in the font settings) save</translation>
    </message>
    <message>
        <source>显示/隐藏视频上的字幕</source>
        <translation>show / hide the subtitles on the picture</translation>
    </message>
    <message>
        <source>播放加快 0.1 倍（最快 2.0 倍，音调不变）</source>
        <translation>play 0.1× faster (up to 2.0×, pitch kept)</translation>
    </message>
    <message>
        <source>播放减慢 0.1 倍（最慢 0.5 倍，音调不变）</source>
        <translation>play 0.1× slower (down to 0.5×, pitch kept)</translation>
    </message>
    <message>
        <source>恢复正常速度（1.0 倍）</source>
        <translation>play at normal speed (1.0×)</translation>
    </message>
    <message>
        <source>后退 1 秒</source>
        <translation>back 1 s</translation>
    </message>
    <message>
        <source>前进 1 秒</source>
        <translation>forward 1 s</translation>
    </message>
    <message>
        <source>后退 5 秒</source>
        <translation>back 5 s</translation>
    </message>
    <message>
        <source>前进 5 秒</source>
        <translation>forward 5 s</translation>
    </message>
    <message>
        <source>暂停/继续播放</source>
        <translation>pause / play</translation>
    </message>
    <message>
        <source>计时设置：按键反应时间补偿</source>
        <translation>timing: the reaction-time offset</translation>
    </message>
    <message>
        <source>（修改时）撤销本行的修改</source>
        <translation>(editing) undo the last edit of a line</translation>
    </message>
    <message>
        <source>（修改时）重做</source>
        <translation>(editing) redo</translation>
    </message>
    <message>
        <source>本帮助</source>
        <translation>this help</translation>
    </message>
    <message>
        <source>速度、前进后退和暂停键在输入框和修改区中也有效，不会输入文字。</source>
        <translation>The speed, seek and pause keys also work in the input field and the plain view, and type nothing.</translation>
    </message>
</context>
<context>
    <name>vantor::TFontOptionForm</name>
    <message>
        <source>字体设置</source>
        <translation>Font settings</translation>
    </message>
    <message>
        <source>缺省</source>
        <translation>Plain</translation>
    </message>
    <message>
        <source>保存[&amp;S]</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>字体颜色：</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>字体名称：</source>
        <translation>Font:</translation>
    </message>
    <message>
        <source>字体大小：</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>字幕位置：</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>左:</source>
        <translation>L:</translation>
    </message>
    <message>
        <source>上:</source>
        <translation>T:</translation>
    </message>
</context>
<context>
    <name>vantor::TForm1</name>
    <message>
        <source>                 说 明</source>
        <translation>            How it works</translation>
    </message>
    <message>
        <source>1) 本软件用于视频字幕快速制作(SRT外挂</source>
        <translation>1) Vantor makes SRT subtitle files</translation>
    </message>
    <message>
        <source>   字幕)。</source>
        <translation>   for a video, fast.</translation>
    </message>
    <message>
        <source>2) 打开视频文件后，如果字幕文件存在，</source>
        <translation>2) When a video has subtitles, you</translation>
    </message>
    <message>
        <source>   提示是否进行编辑。如果不编辑，则新</source>
        <translation>   are asked whether to edit them.</translation>
    </message>
    <message>
        <source>   建字幕文件并自动保存，同时把相同的</source>
        <translation>   If not, new files are made and the</translation>
    </message>
    <message>
        <source>   字幕文件更新成bak文件。</source>
        <translation>   old ones are kept as .bak files.</translation>
    </message>
    <message>
        <source>3) 在添加字幕时，可随时修改字幕。字幕</source>
        <translation>3) Entries can be edited at any time.</translation>
    </message>
    <message>
        <source>   只有一个字时无法删除，可以先添加别</source>
        <translation>   A line of one character cannot be</translation>
    </message>
    <message>
        <source>   的文字再删除。</source>
        <translation>   emptied: type more, then delete.</translation>
    </message>
    <message>
        <source>4) 自动保存两个文件: 带字体格式SRT和不</source>
        <translation>4) Two files are saved at once: SRT</translation>
    </message>
    <message>
        <source>   带字体格式SRT文件。 </source>
        <translation>   with style tags, and plain SRT.</translation>
    </message>
    <message>
        <source>5) 具有字体设置功能、字幕文件全程自动</source>
        <translation>5) Font settings, saving after every</translation>
    </message>
    <message>
        <source>   保存功能、修改已有字幕文件功能。</source>
        <translation>   change, editing of existing files.</translation>
    </message>
    <message>
        <source>6) 制作双语字幕，需把制成的字幕在文本</source>
        <translation>6) For two languages, copy the lines</translation>
    </message>
    <message>
        <source>   中复制一遍，放在最前或最后。自定义</source>
        <translation>   in a text editor, first or last.</translation>
    </message>
    <message>
        <source>   字体需要去掉pos()\即可，缺省字体不</source>
        <translation>   Custom style: remove pos()\; the</translation>
    </message>
    <message>
        <source>   需删除pos()\。</source>
        <translation>   default style needs no change.</translation>
    </message>
    <message>
        <source>SRT外挂字幕制作(免费)</source>
        <translation>Vantor SRT Subtitles (free)</translation>
    </message>
    <message>
        <source>当前位置：  </source>
        <translation>Position:  </translation>
    </message>
    <message>
        <source>Vantor 快速字幕制作 V 7.0 · 免费软件 · 自动保存 SRT 字幕</source>
        <translation>Vantor fast subtitles V 7.0 · free software · SRT saved as you go</translation>
    </message>
    <message>
        <source>F9播放   </source>
        <translation>F9 plays   </translation>
    </message>
    <message>
        <source>快速字幕制作 </source>
        <translation>Subtitles </translation>
    </message>
    <message>
        <source>[F9]本句起始时间</source>
        <translation>[F9] Line start</translation>
    </message>
    <message>
        <source>[F9]键 起始时间</source>
        <translation>F9: mark the start</translation>
    </message>
    <message>
        <source>[F10]本句终止时间</source>
        <translation>[F10] Line end</translation>
    </message>
    <message>
        <source>[F10]键 终止时间</source>
        <translation>F10: mark the end</translation>
    </message>
    <message>
        <source>打开视频[&amp;O]</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>回车结束本句并自动保存</source>
        <translation>Enter ends the line and saves</translation>
    </message>
    <message>
        <source>字体设置[&amp;F]</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>修改后自动保存</source>
        <translation>Saved after every change</translation>
    </message>
    <message>
        <source>[F7]修改</source>
        <translation>[F7] Edit</translation>
    </message>
    <message>
        <source>[F7]键 修改</source>
        <translation>F7: edit</translation>
    </message>
    <message>
        <source>[F8]继续</source>
        <translation>[F8] Continue</translation>
    </message>
    <message>
        <source>[F8]键 继续</source>
        <translation>F8: continue</translation>
    </message>
    <message>
        <source>按键说明</source>
        <translation>Keys</translation>
    </message>
</context>
</TS>