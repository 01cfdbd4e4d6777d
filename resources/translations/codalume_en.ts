<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Codalume</name>
    <message>
        <source>正在保存图片</source>
        <translation>Saving Picture</translation>
    </message>
    <message>
        <source>正在写入 </source>
        <translation>Writing </translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>打开主窗口</source>
        <translation>Open Codalume</translation>
    </message>
    <message>
        <source>获取剪贴板 (Super+Shift+C)</source>
        <translation>Capture Clipboard (Super+Shift+C)</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>保存图片</source>
        <translation>Save Picture</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>正在生成预览</source>
        <translation>Preparing Preview</translation>
    </message>
    <message>
        <source>正在绘制代码图片</source>
        <translation>Drawing the code picture</translation>
    </message>
    <message>
        <source>图片预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>语言:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>剪贴板包含图片</source>
        <translation>The Clipboard Holds a Picture</translation>
    </message>
    <message>
        <source>创建图片失败</source>
        <translation>Could Not Make the Picture</translation>
    </message>
    <message>
        <source>无法从代码创建图片
</source>
        <translation>The code could not be turned into a picture.
</translation>
    </message>
    <message>
        <source>无法识别的剪贴板内容</source>
        <translation>Nothing to Capture</translation>
    </message>
    <message>
        <source>剪贴板中没有文本或图片内容</source>
        <translation>The clipboard holds neither text nor a picture.</translation>
    </message>
    <message>
        <source>在文件管理器中显示</source>
        <translation>Show in File Manager</translation>
    </message>
    <message>
        <source>复制图片</source>
        <translation>Copy Picture</translation>
    </message>
    <message>
        <source>图片已成功保存到 </source>
        <translation>Saved to </translation>
    </message>
    <message>
        <source>详细诊断信息:

</source>
        <translation>What happened:

</translation>
    </message>
    <message>
        <source>错误信息: </source>
        <translation>Error: </translation>
    </message>
    <message>
        <source>错误代码: </source>
        <translation>Error code: </translation>
    </message>
    <message>
        <source>错误域: </source>
        <translation>Error domain: </translation>
    </message>
    <message>
        <source>图像转换为PNG成功，数据大小: </source>
        <translation>Encoded as PNG: </translation>
    </message>
    <message>
        <source> 字节</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>临时目录权限测试: 失败 - </source>
        <translation>Writing to the temporary folder: failed - </translation>
    </message>
    <message>
        <source>临时目录权限测试: 成功</source>
        <translation>Writing to the temporary folder: works</translation>
    </message>
    <message>
        <source>正在尝试保存到: </source>
        <translation>Saving to: </translation>
    </message>
    <message>
        <source>Downloads目录是指向不存在位置的链接: </source>
        <translation>Downloads is a link to a place that does not exist: </translation>
    </message>
    <message>
        <source>创建Downloads目录成功</source>
        <translation>Created the Downloads folder</translation>
    </message>
    <message>
        <source>Downloads目录已存在</source>
        <translation>The Downloads folder exists</translation>
    </message>
    <message>
        <source>检查目录权限: </source>
        <translation>Folder permissions: </translation>
    </message>
    <message>
        <source>可写</source>
        <translation>writable</translation>
    </message>
    <message>
        <source>不可写</source>
        <translation>not writable</translation>
    </message>
    <message>
        <source>转换图像到PNG数据失败</source>
        <translation>Encoding the picture as PNG failed</translation>
    </message>
    <message>
        <source>文件写入成功</source>
        <translation>File written</translation>
    </message>
    <message>
        <source>图片已保存</source>
        <translation>Picture Saved</translation>
    </message>
    <message>
        <source>
--- 系统路径信息 ---
</source>
        <translation>
--- Folders ---
</translation>
    </message>
    <message>
        <source>Temp目录: </source>
        <translation>Temporary folder: </translation>
    </message>
    <message>
        <source>Home目录: </source>
        <translation>Home folder: </translation>
    </message>
    <message>
        <source>Downloads目录: </source>
        <translation>Downloads folder: </translation>
    </message>
    <message>
        <source>保存失败 - 详细诊断</source>
        <translation>Could Not Save the Picture</translation>
    </message>
    <message>
        <source>尝试其它位置</source>
        <translation>Try Another Place</translation>
    </message>
    <message>
        <source>图片已保存到临时位置</source>
        <translation>Picture Saved to a Temporary Place</translation>
    </message>
    <message>
        <source>所有保存尝试均失败</source>
        <translation>The Picture Could Not Be Saved Anywhere</translation>
    </message>
    <message>
        <source>无法保存到任何位置。这可能是因为应用没有获得足够的权限或沙盒限制。

请尝试使用&apos;另存为&apos;选项。</source>
        <translation>Codalume could not save anywhere. It may lack permission to write there, or a sandbox may keep it out.

Try choosing a place with “Save As”.</translation>
    </message>
    <message>
        <source>保存路径: </source>
        <translation>Saving to: </translation>
    </message>
    <message>
        <source>图像处理失败</source>
        <translation>Could Not Process the Picture</translation>
    </message>
    <message>
        <source>无法将图像转换为PNG格式。</source>
        <translation>The picture could not be encoded as PNG.</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Could Not Save the Picture</translation>
    </message>
    <message>
        <source>选择保存位置</source>
        <translation>Choose where to save the picture</translation>
    </message>
    <message>
        <source>获取剪贴板</source>
        <translation>Capture Clipboard</translation>
    </message>
    <message>
        <source>图像转换失败</source>
        <translation>Picture encoding failed</translation>
    </message>
    <message>
        <source>垂直</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>选择颜色</source>
        <translation>Choose a Color</translation>
    </message>
    <message>
        <source>作者名:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>输入您的名字 (将显示在图片上)</source>
        <translation>Your name (shown on the picture)</translation>
    </message>
    <message>
        <source>在图片上显示作者名</source>
        <translation>Show name on picture</translation>
    </message>
    <message>
        <source>邮箱:</source>
        <translation>Email:</translation>
    </message>
    <message>
        <source>输入您的邮箱 (将显示在图片上)</source>
        <translation>Your email address (shown on the picture)</translation>
    </message>
    <message>
        <source>在图片上显示邮箱</source>
        <translation>Show email on picture</translation>
    </message>
    <message>
        <source>微信:</source>
        <translation>WeChat:</translation>
    </message>
    <message>
        <source>输入您的微信号 (将显示在图片上)</source>
        <translation>Your WeChat ID (shown on the picture)</translation>
    </message>
    <message>
        <source>在图片上显示微信</source>
        <translation>Show WeChat on picture</translation>
    </message>
    <message>
        <source>博客:</source>
        <translation>Blog:</translation>
    </message>
    <message>
        <source>输入您的博客域名 (将显示在图片上)</source>
        <translation>Your blog’s domain (shown on the picture)</translation>
    </message>
    <message>
        <source>在图片上显示博客</source>
        <translation>Show blog on picture</translation>
    </message>
    <message>
        <source>显示行号</source>
        <translation>Line numbers</translation>
    </message>
    <message>
        <source>显示窗口按钮</source>
        <translation>Window buttons</translation>
    </message>
    <message>
        <source>显示阴影</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>内置规则</source>
        <translation>Built-in rules</translation>
    </message>
    <message>
        <source>语法库</source>
        <translation>Grammar library</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>System default</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>注意：启用显示选项后，对应的作者信息将显示在生成的图片左下角。若选择自动保存，文件将直接保存到Downloads目录。</source>
        <translation>Author details that are shown appear in the lower left corner of each picture. With saving to Downloads on, pictures go straight to your Downloads folder.</translation>
    </message>
    <message>
        <source>基本设置</source>
        <translation>General</translation>
    </message>
    <message>
        <source>生成图片前预览</source>
        <translation>Preview before saving</translation>
    </message>
    <message>
        <source>自动保存到Downloads目录</source>
        <translation>Save to the Downloads folder</translation>
    </message>
    <message>
        <source>开机自动启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>界面语言:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>字体设置</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>字体大小:</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>字体风格:</source>
        <translation>Style:</translation>
    </message>
    <message>
        <source>效果预览:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>背景设置</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>使用渐变背景</source>
        <translation>Gradient</translation>
    </message>
    <message>
        <source>背景色:</source>
        <translation>Color:</translation>
    </message>
    <message>
        <source>渐变终止色:</source>
        <translation>End color:</translation>
    </message>
    <message>
        <source>渐变方向:</source>
        <translation>Direction:</translation>
    </message>
    <message>
        <source>语法高亮:</source>
        <translation>Highlighting:</translation>
    </message>
    <message>
        <source>主题:</source>
        <translation>Theme:</translation>
    </message>
    <message>
        <source>样式</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>不换行</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>自动换行列数:</source>
        <translation>Wrap at column:</translation>
    </message>
    <message>
        <source>作者信息</source>
        <translation>Author</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>对角线</source>
        <translation>Diagonal</translation>
    </message>
    <message>
        <source>背景色: </source>
        <translation>Background: </translation>
    </message>
    <message>
        <source>
渐变颜色: </source>
        <translation>
Gradient: </translation>
    </message>
    <message>
        <source>
渐变方向: </source>
        <translation>
Direction: </translation>
    </message>
    <message>
        <source>作者信息: </source>
        <translation>Author: </translation>
    </message>
    <message>
        <source>设置已保存</source>
        <translation>Settings Saved</translation>
    </message>
    <message>
        <source>您的设置已成功保存。

</source>
        <translation>Your settings are saved.

</translation>
    </message>
    <message>
        <source>

提示: 未设置作者信息或已选择不显示，图片上将不会显示相关信息。</source>
        <translation>

No author details are shown, so pictures carry none.</translation>
    </message>
    <message>
        <source>

无法读取的旧设置文件已保留为: </source>
        <translation>

The unreadable old settings file was kept as: </translation>
    </message>
    <message>
        <source>设置未能保存</source>
        <translation>Settings Not Saved</translation>
    </message>
    <message>
        <source>新的设置在程序退出前有效，但无法写入设置文件。

文件: </source>
        <translation>The new settings apply until Codalume quits, but the settings file could not be written.

File: </translation>
    </message>
    <message>
        <source>
原因: </source>
        <translation>
Reason: </translation>
    </message>
    <message>
        <source>应用设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>配置代码图片生成选项</source>
        <translation>How your code pictures look</translation>
    </message>
    <message>
        <source>

设置文件无法读取，保存时会先在旁边保留旧文件的副本。
文件: </source>
        <translation>

The settings file cannot be read. Saving first keeps a copy of it beside it.
File: </translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>一个简单易用的工具，可以将剪贴板中的文本代码转换为美观的图片。</source>
        <translation>Turns the code on your clipboard into a beautiful picture.</translation>
    </message>
    <message>
        <source>© 2025 Codalume. 保留所有权利。</source>
        <translation>© 2025 Codalume. All rights reserved.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>最近图片</source>
        <translation>Recent</translation>
    </message>
    <message>
        <source>使用帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>How to Use</translation>
    </message>
    <message>
        <source>1. 获取剪贴板</source>
        <translation>1. Capture the clipboard</translation>
    </message>
    <message>
        <source>点击状态栏图标，选择&apos;获取剪贴板&apos;选项，或使用Super+Shift+C快捷键。</source>
        <translation>Copy some code, then press Super+Shift+C, or choose “Capture Clipboard” in the tray icon’s menu.</translation>
    </message>
    <message>
        <source>2. 设置</source>
        <translation>2. Settings</translation>
    </message>
    <message>
        <source>自定义图片生成选项和作者信息。</source>
        <translation>Choose how pictures look and which author details they show.</translation>
    </message>
    <message>
        <source>3. 支持多种编程语言</source>
        <translation>3. Many languages</translation>
    </message>
    <message>
        <source>包括Swift、Python、JavaScript等。</source>
        <translation>Swift, Python, JavaScript and many more.</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Shortcut</translation>
    </message>
    <message>
        <source>- 全局快捷键，随时获取剪贴板内容</source>
        <translation>captures the clipboard from anywhere</translation>
    </message>
    <message>
        <source>权限检查</source>
        <translation>Permissions</translation>
    </message>
    <message>
        <source>应用需要Downloads目录的写入权限才能保存图片。</source>
        <translation>Codalume needs to write to your Downloads folder to save pictures.</translation>
    </message>
    <message>
        <source>检查权限设置</source>
        <translation>Check Permissions</translation>
    </message>
    <message>
        <source>✅ 权限设置正确！</source>
        <translation>✅ Codalume can save pictures.</translation>
    </message>
    <message>
        <source>❌ 权限设置不正确！</source>
        <translation>❌ Codalume cannot save pictures.</translation>
    </message>
    <message>
        <source>权限设置不正确</source>
        <translation>Downloads Cannot Be Written</translation>
    </message>
    <message>
        <source>请检查Downloads目录的写入权限。</source>
        <translation>Check that you may write to your Downloads folder.</translation>
    </message>
    <message>
        <source>前往设置</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>需要Downloads目录的写入权限</source>
        <translation>Codalume Needs to Write to Downloads</translation>
    </message>
    <message>
        <source>为了保存图片到您选择的位置，应用需要对该目录有写入权限。

请点击&apos;打开&apos;按钮，在文件管理器中打开Downloads目录所在的文件夹，然后在Downloads目录的属性中为当前用户授予写入权限。

注意：如果应用运行在沙盒中（例如Flatpak或Snap），还需要在沙盒的权限设置中允许它访问该目录。</source>
        <translation>To save pictures, Codalume needs permission to write to your Downloads folder.

Choose “Open” to see the folder that holds Downloads in your file manager, then give yourself write permission in the Downloads folder’s properties.

If Codalume runs in a sandbox (Flatpak or Snap), also allow it that folder in the sandbox’s permissions.</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>欢迎使用 Codalume</source>
        <translation>Welcome to Codalume</translation>
    </message>
    <message>
        <source>为了能够正常保存图片，应用需要Downloads目录的写入权限。

这是一次性的设置，您可以随时在文件管理器中更改目录的权限。</source>
        <translation>To save pictures, Codalume needs permission to write to your Downloads folder.

You only need to set this up once, and you can change it in your file manager at any time.</translation>
    </message>
    <message>
        <source>设置权限</source>
        <translation>Set Up</translation>
    </message>
    <message>
        <source>稍后再说</source>
        <translation>Not Now</translation>
    </message>
    <message>
        <source>语言: </source>
        <translation>Language: </translation>
    </message>
    <message>
        <source>最近生成的图片</source>
        <translation>Recent Pictures</translation>
    </message>
    <message>
        <source>复制代码后按 Super+Shift+C 生成第一张图片</source>
        <translation>Copy some code and press Super+Shift+C to make your first picture</translation>
    </message>
    <message>
        <source>清空剪贴板</source>
        <translation>Clear Clipboard</translation>
    </message>
    <message>
        <source>剪贴板已清空</source>
        <translation>Clipboard Cleared</translation>
    </message>
    <message>
        <source>剪贴板内容已被清空</source>
        <translation>The clipboard is empty now.</translation>
    </message>
    <message>
        <source>从列表中移除</source>
        <translation>Remove from List</translation>
    </message>
</context>
</TS>
