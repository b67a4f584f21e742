<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>For:windows95/98/Me/2000/NT</source>
        <translation>For: Windows 95/98/Me/2000/NT</translation>
    </message>
    <message>
        <source>HomePage: %1</source>
        <translation>Home page: %1</translation>
    </message>
    <message>
        <source>程序文件夹: %1</source>
        <translation>Program folder: %1</translation>
    </message>
</context>
<context>
    <name>BlankSheets</name>
    <message>
        <source>将打开一个包含全部空白答题卡的 PDF 文件，每种答题卡占一页。请翻到所需答题卡类型的那一页，只打印该页。是否继续？</source>
        <translation>A PDF file with all the blank answer sheets will open, one sheet type per page. Go to the page of the sheet type you need and print only that page. Continue?</translation>
    </message>
    <message>
        <source>提示:</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>答题卡文件未能生成。%1</source>
        <translation>The answer sheet file could not be created. %1</translation>
    </message>
    <message>
        <source>答题卡已保存在“%1”，但没有找到能打开 PDF 文件的程序，请手动打开该文件并打印所需的页。</source>
        <translation>The answer sheets were saved in &quot;%1&quot;, but no program to open PDF files was found. Please open the file yourself and print the page you need.</translation>
    </message>
    <message>
        <source>无法绘制答题卡：程序没有创建图形环境。</source>
        <translation>Cannot draw the answer sheets: the program has no graphics environment.</translation>
    </message>
    <message>
        <source>无法生成图像文件“%1”。</source>
        <translation>Cannot create the image file &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>CsvTable</name>
    <message>
        <source>UTF-8（带BOM）</source>
        <translation>UTF-8 (with BOM)</translation>
    </message>
    <message>
        <source>制表符</source>
        <translation>tab</translation>
    </message>
    <message>
        <source>分号</source>
        <translation>semicolon</translation>
    </message>
    <message>
        <source>逗号</source>
        <translation>comma</translation>
    </message>
    <message>
        <source>文件太大（超过 %1）</source>
        <translation>the file is too large (over %1)</translation>
    </message>
    <message>
        <source>表格超过 %1 行</source>
        <translation>the table has more than %1 rows</translation>
    </message>
    <message>
        <source>第 %1 行超过 %2 列</source>
        <translation>row %1 has more than %2 columns</translation>
    </message>
    <message>
        <source>表格超过 %1 个单元格</source>
        <translation>the table has more than %1 cells</translation>
    </message>
    <message>
        <source>文件第 %1 行的引号没有配对的结束引号（从此处到文件末尾都在引号内）</source>
        <translation>the quote opened on line %1 is never closed (everything from there to the end of the file is inside quotes)</translation>
    </message>
    <message>
        <source>无法读取文件“%1”：%2</source>
        <translation>Cannot read file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
</context>
<context>
    <name>DataHome</name>
    <message>
        <source>无法读取程序文件夹模板 %1：%2</source>
        <translation>Cannot read the program folder template %1: %2</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>无法复制模板文件到 %1：%2</source>
        <translation>Cannot copy a template file to %1: %2</translation>
    </message>
    <message>
        <source>无法创建文件夹 %1：%2</source>
        <translation>Cannot create folder %1: %2</translation>
    </message>
    <message>
        <source>无法确定用户的数据文件夹：HOME 与 XDG_DATA_HOME 都未设置</source>
        <translation>Cannot find the user&apos;s data folder: neither HOME nor XDG_DATA_HOME is set</translation>
    </message>
    <message>
        <source>找不到程序文件夹：%1 中没有 DaTiKa 和 sys，也没有程序文件夹模板 %2（无法创建 %3）</source>
        <translation>Program folder not found: %1 has no DaTiKa and sys, and there is no program folder template %2 (cannot create %3)</translation>
    </message>
    <message>
        <source>无法创建程序文件夹 %1：%2</source>
        <translation>Cannot create program folder %1: %2</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>没有找到能打开“%1”的程序。</source>
        <translation>No program was found to open &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>DuplicateSheetDialog</name>
    <message>
        <source>答题卡考号重复</source>
        <translation>Examinee number already marked</translation>
    </message>
    <message>
        <source>考号 %1 已有成绩。</source>
        <translation>Examinee number %1 already has results. </translation>
    </message>
    <message>
        <source>这张答题卡与先前阅过的是同一图像。</source>
        <translation>This answer sheet is the same image as one marked earlier. </translation>
    </message>
    <message>
        <source>请选择如何处理这张答题卡：</source>
        <translation>Choose what to do with this answer sheet:</translation>
    </message>
    <message>
        <source>先前的答题卡没有阅卷记录，无法显示。</source>
        <translation>The earlier answer sheet has no marking record and cannot be shown.</translation>
    </message>
    <message>
        <source>先前的答题卡：%1</source>
        <translation>Earlier answer sheet: %1</translation>
    </message>
    <message>
        <source>先前的答题卡</source>
        <translation>Earlier answer sheet</translation>
    </message>
    <message>
        <source>这张答题卡</source>
        <translation>This answer sheet</translation>
    </message>
    <message>
        <source>这张答题卡：%1</source>
        <translation>This answer sheet: %1</translation>
    </message>
    <message>
        <source>保留先前的成绩</source>
        <translation>Keep earlier results</translation>
    </message>
    <message>
        <source>用这张答题卡替换</source>
        <translation>Replace with this sheet</translation>
    </message>
    <message>
        <source>另选考号……</source>
        <translation>Other number...</translation>
    </message>
    <message>
        <source>本次阅卷其余考号重复的答题卡都这样处理</source>
        <translation>Do the same for all other repeated numbers in this marking</translation>
    </message>
</context>
<context>
    <name>EditorPage</name>
    <message>
        <source>帮助(HELP)</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>如何查看成绩</source>
        <translation>How to view the results</translation>
    </message>
    <message>
        <source>说明：</source>
        <translation>Notes:</translation>
    </message>
</context>
<context>
    <name>ExamPaper</name>
    <message>
        <source>无法保存文件“%1”：%2</source>
        <translation>Cannot save file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>FileChoice</name>
    <message>
        <source>请选择考试试卷!</source>
        <translation>Please choose an exam paper</translation>
    </message>
    <message>
        <source>请选择考生名册!</source>
        <translation>Please choose a roster</translation>
    </message>
    <message>
        <source>无法删除文件“%1”：%2。</source>
        <translation>Cannot delete the file “%1”: %2.</translation>
    </message>
</context>
<context>
    <name>FileIo</name>
    <message>
        <source>无法保存文件“%1”：%2。</source>
        <translation>Cannot save file &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>无法保存文件“%1”：其中的字符“%2”不能以GBK编码保存。</source>
        <translation>Cannot save file &quot;%1&quot;: it contains the character &quot;%2&quot;, which cannot be saved in GBK encoding.</translation>
    </message>
</context>
<context>
    <name>FolderCommit</name>
    <message>
        <source>无法打开文件夹“%1”：%2。</source>
        <translation>Cannot open folder &quot;%1&quot;: %2.</translation>
    </message>
</context>
<context>
    <name>GradeExport</name>
    <message>
        <source>文件“%1”已存在，是否替换？</source>
        <translation>The file “%1” already exists. Replace it?</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>成绩未能导出。%1</source>
        <translation>The results could not be exported. %1</translation>
    </message>
    <message>
        <source>成绩已导出到：
%1</source>
        <translation>Results exported to:
%1</translation>
    </message>
    <message>
        <source>%1
对照表中没有以下考号，未导出：%2</source>
        <translation>%1
These examinee numbers are not in the ID table and were not exported:%2</translation>
    </message>
</context>
<context>
    <name>ImageFiles</name>
    <message>
        <source>无法处理扫描的图像：内存不足</source>
        <translation>Cannot process the scanned image: out of memory</translation>
    </message>
    <message>
        <source>内存不足，无法处理图像文件“%1”</source>
        <translation>Out of memory: cannot process the image file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>无法处理扫描的图像：内部错误</source>
        <translation>Cannot process the scanned image: internal error</translation>
    </message>
    <message>
        <source>无法处理图像文件“%1”：内部错误</source>
        <translation>Cannot process the image file &quot;%1&quot;: internal error</translation>
    </message>
    <message>
        <source>无法读取图像文件“%1”：文件中没有图像。</source>
        <translation>Cannot read the image file &quot;%1&quot;: the file holds no image.</translation>
    </message>
    <message>
        <source>无法读取“%1”</source>
        <translation>Cannot read &quot;%1&quot;</translation>
    </message>
    <message>
        <source>图像太大（%1×%2像素，最多%3像素）</source>
        <translation>the image is too large (%1×%2 pixels, at most %3 pixels)</translation>
    </message>
    <message>
        <source>文件超过%1页，其后的页未读取</source>
        <translation>the file has more than %1 pages; the pages after them were not read</translation>
    </message>
    <message>
        <source>没有第%1页</source>
        <translation>there is no page %1</translation>
    </message>
    <message>
        <source>处理超时（超过%1秒），已放弃此页</source>
        <translation>it took too long (over %1 seconds); this page was given up</translation>
    </message>
    <message>
        <source>文件无法打开</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>无法读取图像文件“%1”第%2页：%3。</source>
        <translation>Cannot read page %2 of the image file &quot;%1&quot;: %3.</translation>
    </message>
    <message>
        <source>无法读取图像文件“%1”：%2。</source>
        <translation>Cannot read the image file &quot;%1&quot;: %2.</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>this is a folder</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>不支持CMYK颜色的JPEG图像</source>
        <translation>JPEG images in CMYK colour are not supported</translation>
    </message>
    <message>
        <source>图像太大（解码所需内存超过%1 MB）</source>
        <translation>the image is too large (decoding it needs more than %1 MB of memory)</translation>
    </message>
    <message>
        <source>PDF文件有密码保护</source>
        <translation>the PDF file is password-protected</translation>
    </message>
    <message>
        <source>页面内容过大（解压后超过%1）</source>
        <translation>the page content is too large (over %1 uncompressed)</translation>
    </message>
    <message>
        <source>页面绘制所需内存超过%1，已放弃此页</source>
        <translation>drawing the page needs more than %1 of memory; this page was given up</translation>
    </message>
    <message>
        <source>页面中的图像太大（%1×%2像素）</source>
        <translation>an image on the page is too large (%1×%2 pixels)</translation>
    </message>
    <message>
        <source>页面中的函数过于复杂</source>
        <translation>a function on the page is too complex</translation>
    </message>
    <message>
        <source>页面中的图案过于细密</source>
        <translation>a pattern on the page is too fine</translation>
    </message>
    <message>
        <source>页面中的渐变过于复杂</source>
        <translation>a gradient on the page is too complex</translation>
    </message>
    <message>
        <source>页面中的文字太大</source>
        <translation>text on the page is too large</translation>
    </message>
    <message>
        <source>页面太大（超过%1像素）</source>
        <translation>the page is too large (over %1 pixels)</translation>
    </message>
    <message>
        <source>图像太宽（%1像素）</source>
        <translation>the image is too wide (%1 pixels)</translation>
    </message>
    <message>
        <source>文件已损坏或不是JPEG/BMP/PNG/TIFF/PDF图像</source>
        <translation>the file is damaged or not a JPEG/BMP/PNG/TIFF/PDF image</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>第%1页之后的页链已损坏，此页及其后的页无法读取</source>
        <translation>the chain of pages is broken after page %1; this page and those after it cannot be read</translation>
    </message>
    <message>
        <source>图像的条带或图块太大（%1×%2像素）</source>
        <translation>a strip or tile of the image is too large (%1×%2 pixels)</translation>
    </message>
</context>
<context>
    <name>ItemAnalysis</name>
    <message>
        <source>太容易：得分率高于0.9</source>
        <translation>Too easy: share right above 0.9</translation>
    </message>
    <message>
        <source>太难：得分率低于0.2</source>
        <translation>Too hard: share right below 0.2</translation>
    </message>
    <message>
        <source>区分度低：高分组与低分组得分率相差不到0.2</source>
        <translation>Low discrimination: high and low groups differ by less than 0.2</translation>
    </message>
    <message>
        <source>与其余题目负相关：答对者其余题目得分反而较低</source>
        <translation>Negative correlation: those right score lower on the other questions</translation>
    </message>
    <message>
        <source>请核对答案：高分组选%1最多</source>
        <translation>Check the key: the high group chose %1 most</translation>
    </message>
    <message>
        <source>请核对答案：选%1者平均分明显高于答对者</source>
        <translation>Check the key: those choosing %1 score clearly higher than those right</translation>
    </message>
    <message>
        <source>题号</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>答案</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>分值</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>难度p</source>
        <translation>Difficulty p</translation>
    </message>
    <message>
        <source>区分度D</source>
        <translation>Discrimination D</translation>
    </message>
    <message>
        <source>相关rpb</source>
        <translation>Correlation rpb</translation>
    </message>
    <message>
        <source>未答</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>标记</source>
        <translation>Flags</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>参考人数</source>
        <translation>Participants</translation>
    </message>
    <message>
        <source>平均分</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>标准差</source>
        <translation>Std. deviation</translation>
    </message>
    <message>
        <source>中位数</source>
        <translation>Median</translation>
    </message>
    <message>
        <source>下四分位数</source>
        <translation>Lower quartile</translation>
    </message>
    <message>
        <source>上四分位数</source>
        <translation>Upper quartile</translation>
    </message>
    <message>
        <source>信度KR-20</source>
        <translation>Reliability KR-20</translation>
    </message>
    <message>
        <source>测量标准误</source>
        <translation>Std. error of measurement</translation>
    </message>
</context>
<context>
    <name>ItemAnalysisView</name>
    <message>
        <source>单击列标题按该列排序。难度p按计分规则：所选为标准答案中连续的一部分即得分；“成绩与统计”中的得分率只计与标准答案完全相同的答案。</source>
        <translation>Click a column header to sort by that column. Difficulty p follows the scoring rule: an answer that is an unbroken part of the key scores. The correct rate under “Results and statistics” counts only answers exactly equal to the key.</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>KeyFile</name>
    <message>
        <source>其中的字符“%1”不能以GBK编码保存。</source>
        <translation>it contains the character &quot;%1&quot;, which cannot be saved in GBK encoding.</translation>
    </message>
    <message>
        <source>无法保存文件“%1”：%2</source>
        <translation>Cannot save file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>KeyTable</name>
    <message>
        <source>表头缺少“%1”列</source>
        <translation>The header has no &quot;%1&quot; column</translation>
    </message>
    <message>
        <source>试题超过%1题</source>
        <translation>More than %1 questions</translation>
    </message>
    <message>
        <source>没有题号（应为%1）</source>
        <translation>No question number (should be %1)</translation>
    </message>
    <message>
        <source>题号“%1”不是整数</source>
        <translation>Question number &quot;%1&quot; is not a whole number</translation>
    </message>
    <message>
        <source>题号%1重复（应为%2）</source>
        <translation>Question number %1 is repeated (should be %2)</translation>
    </message>
    <message>
        <source>题号%1不按顺序（应为%2）</source>
        <translation>Question number %1 is out of order (should be %2)</translation>
    </message>
    <message>
        <source>答案“%1”含有选项以外的字符“%2”（答题卡每题%3个选项：A–%4）</source>
        <translation>Answer &quot;%1&quot; contains &quot;%2&quot;, which is not an option (the answer sheet has %3 options per question: A–%4)</translation>
    </message>
    <message>
        <source>没有分值</source>
        <translation>No score</translation>
    </message>
    <message>
        <source>分值“%1”不是数字</source>
        <translation>Score &quot;%1&quot; is not a number</translation>
    </message>
    <message>
        <source>分值“%1”必须大于0</source>
        <translation>Score &quot;%1&quot; must be greater than 0</translation>
    </message>
    <message>
        <source>表中没有试题</source>
        <translation>The table has no questions</translation>
    </message>
    <message>
        <source>第%1行：%2</source>
        <translation>Row %1: %2</translation>
    </message>
</context>
<context>
    <name>LanguageMenu</name>
    <message>
        <source>语言(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>无法保存语言设置。</source>
        <translation>The language setting could not be saved.</translation>
    </message>
    <message>
        <source>下次启动 Quillmark 时将使用所选的语言。</source>
        <translation>Quillmark will use the chosen language the next time it starts.</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <source>login</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>Please enter your password:</source>
        <translation>Please enter the administrator password:</translation>
    </message>
    <message>
        <source>&amp;Ok</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>进入管理系统</source>
        <translation>Enter the program</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>退出系统</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>查看帮助 如何登录</source>
        <translation>Help: how to log in</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>1、选择试卷</source>
        <translation>1. Paper</translation>
    </message>
    <message>
        <source>2、选择名册</source>
        <translation>2. Roster</translation>
    </message>
    <message>
        <source>3、阅卷</source>
        <translation>3. Marking</translation>
    </message>
    <message>
        <source>4、成绩处理</source>
        <translation>4. Results</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Select &amp;Device</source>
        <translation>Select Image &amp;Device...</translation>
    </message>
    <message>
        <source>&amp;Print TEST card</source>
        <translation>&amp;Print Blank Answer Sheets...</translation>
    </message>
    <message>
        <source>正在生成答题卡……</source>
        <translation>Making the answer sheets...</translation>
    </message>
    <message>
        <source>&amp;Setting printer</source>
        <translation>Printer &amp;Setup...</translation>
    </message>
    <message>
        <source>Set &amp;passwowd</source>
        <translation>Set &amp;Password...</translation>
    </message>
    <message>
        <source>Exit(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;OMR</source>
        <translation>&amp;Marking</translation>
    </message>
    <message>
        <source>1、Select &amp;Paper</source>
        <translation>1. Choose &amp;Paper</translation>
    </message>
    <message>
        <source>2、Select &amp;List</source>
        <translation>2. Choose &amp;Roster</translation>
    </message>
    <message>
        <source>3、&amp;OMR</source>
        <translation>3. &amp;Mark Sheets</translation>
    </message>
    <message>
        <source>4、View &amp;achievement</source>
        <translation>4. View R&amp;esults</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Home&amp;Page</source>
        <translation>&amp;Home Page</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>正在阅卷。要停止阅卷并关闭程序吗？</source>
        <translation>Marking is in progress. Stop marking and close the program?</translation>
    </message>
    <message>
        <source>上次阅卷的 %1 张答题卡（试卷“%2”，名册“%3”）尚未保存，程序就已退出。是否恢复这些阅卷结果？</source>
        <translation>The program closed before the results of %1 answer sheet(s) from the last marking (paper “%2”, roster “%3”) were saved. Restore these results?</translation>
    </message>
    <message>
        <source>恢复阅卷结果</source>
        <translation>Restore marking results</translation>
    </message>
    <message>
        <source>无法恢复阅卷结果：%1</source>
        <translation>Cannot restore the marking results: %1</translation>
    </message>
    <message>
        <source>已恢复 %1 张答题卡的阅卷结果，请保存成绩。</source>
        <translation>The marking results of %1 answer sheet(s) were restored. Please save the results.</translation>
    </message>
</context>
<context>
    <name>MarkingDialogs</name>
    <message>
        <source>选择当前答题卡的类型</source>
        <translation>Choose the type of this answer sheet</translation>
    </message>
    <message>
        <source>    系统无法正确识别当前答题卡的类型。请手工选择当前答题卡对应的类型：</source>
        <translation>The type of this answer sheet could not be recognised. Please choose its type:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>重新输入答题卡图像</source>
        <translation>Re-enter image</translation>
    </message>
    <message>
        <source>是否指定答题卡类型</source>
        <translation>Fix the sheet type</translation>
    </message>
    <message>
        <source>选择当前答题卡的考号</source>
        <translation>Choose the examinee number of this sheet</translation>
    </message>
    <message>
        <source>  系统无法正确识别当前答题卡的考号。请手工选择或输入当前答题卡的正确考号：</source>
        <translation>The examinee number of this answer sheet could not be recognised. Please choose or type the right number:</translation>
    </message>
    <message>
        <source>请选择正确的考号：</source>
        <translation>Choose the right number:</translation>
    </message>
    <message>
        <source>输入考号：</source>
        <translation>Examinee number:</translation>
    </message>
    <message>
        <source>考生姓名：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>MarkingPage</name>
    <message>
        <source>尚未阅卷!</source>
        <translation>Not marked yet!</translation>
    </message>
    <message>
        <source>正在阅卷……</source>
        <translation>Marking...</translation>
    </message>
    <message>
        <source>阅卷完成!</source>
        <translation>Marking finished!</translation>
    </message>
    <message>
        <source>阅卷已停止</source>
        <translation>Marking stopped</translation>
    </message>
    <message>
        <source>3、自动阅卷</source>
        <translation>3. Automatic marking</translation>
    </message>
    <message>
        <source>从图像设备输入并阅卷</source>
        <translation>Mark from an image device</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>手机拍照阅卷</source>
        <translation>Mark phone photos</translation>
    </message>
    <message>
        <source>手机扫描二维码后拍照上传答题卡，每张即时显示成绩</source>
        <translation>Phones scan a QR code, then photograph and upload answer sheets; each score shows at once</translation>
    </message>
    <message>
        <source>手工阅卷</source>
        <translation>Manual marking</translation>
    </message>
    <message>
        <source>打开单个答题卡图像文件阅卷</source>
        <translation>Open one answer sheet image and mark it</translation>
    </message>
    <message>
        <source>打开答题卡文件夹成批阅卷</source>
        <translation>Open a folder of answer sheets and mark them all</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>在当前答题卡之后停止阅卷，已阅的答题卡保留</source>
        <translation>Stop marking after the current answer sheet; sheets already marked are kept</translation>
    </message>
    <message>
        <source>核对存疑</source>
        <translation>Check doubts</translation>
    </message>
    <message>
        <source>逐一核对本次阅卷中读数不确定的题目和考号</source>
        <translation>Check, one by one, the questions and examinee numbers this marking read with doubt</translation>
    </message>
    <message>
        <source>阅卷参数设置</source>
        <translation>Marking settings</translation>
    </message>
    <message>
        <source>是否要检验考号的合法性</source>
        <translation>Check that examinee numbers are valid</translation>
    </message>
    <message>
        <source>固定缩放比例: 1:</source>
        <translation>Fixed zoom: 1:</translation>
    </message>
    <message>
        <source>帮助(HELP)</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>如何查看成绩</source>
        <translation>How to view the results</translation>
    </message>
    <message>
        <source>预览方向</source>
        <translation>Preview direction</translation>
    </message>
    <message>
        <source>向上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>向下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>向左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>向右</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>阅卷状态提示</source>
        <translation>Marking status</translation>
    </message>
    <message>
        <source>未能阅卷的答题卡及原因；双击重新阅卷</source>
        <translation>Answer sheets that could not be marked, and why; double-click one to mark it again</translation>
    </message>
    <message>
        <source>未阅答题卡（双击重新阅卷）：</source>
        <translation>Unmarked answer sheets (double-click to mark again):</translation>
    </message>
    <message>
        <source>%1 文件</source>
        <translation>%1 files</translation>
    </message>
    <message>
        <source>所有答题卡图像</source>
        <translation>All answer sheet images</translation>
    </message>
    <message>
        <source>所有文件</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>请选择答题卡图片文件所在的文件夹：</source>
        <translation>Choose the folder that holds the answer sheet images:</translation>
    </message>
    <message>
        <source>Select Device</source>
        <translation>Select Image Device</translation>
    </message>
    <message>
        <source>选择图像输入设备：</source>
        <translation>Choose the image input device:</translation>
    </message>
    <message>
        <source>找不到局域网地址：请先把电脑连接到手机所在的无线网络，再重试。</source>
        <translation>No local network address found: connect the computer to the wireless network the phones use, then try again.</translation>
    </message>
    <message>
        <source>已阅 %1 张</source>
        <translation>Marked: %1</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>已阅 %1 张，未阅 %2 张</source>
        <translation>Marked: %1, not marked: %2</translation>
    </message>
    <message>
        <source>，停止时还有 %1 张未处理</source>
        <translation>, left unhandled when stopped: %1</translation>
    </message>
    <message>
        <source>有 %1 张答题卡未能阅卷，原因见“未阅答题卡”列表。</source>
        <translation>Answer sheets not marked: %1. The list of unmarked answer sheets says why.</translation>
    </message>
    <message>
        <source>，%1 张/秒</source>
        <translation>, %1 sheets/s</translation>
    </message>
</context>
<context>
    <name>MarkingPipeline</name>
    <message>
        <source>%1 请检查答题卡和图像输入设备，再重新输入！</source>
        <translation>%1. Please check the answer sheet and the image input device, then try again.</translation>
    </message>
</context>
<context>
    <name>MarkingRun</name>
    <message>
        <source>阅卷完成!请单击“下一步”查看成绩。</source>
        <translation>Marking finished! Click &quot;Next&quot; to see the results.</translation>
    </message>
    <message>
        <source>全部阅卷完成!请单击“下一步”查看成绩。</source>
        <translation>All sheets marked! Click &quot;Next&quot; to see the results.</translation>
    </message>
    <message>
        <source>    该功能需要调用图像输入设备（如：扫描仪、带联机拍摄功能的数码相机或视频摄像头）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！</source>
        <translation>This needs an image input device (such as a scanner, a digital camera that can shoot while connected, or a video camera). Your computer may have no such device, or it is not working. Please check and try again.</translation>
    </message>
    <message>
        <source>    该功能需要调用图像输入设备（如：数码相机、扫描仪）。您的计算机可能没有安装相应设备或无法正常使用,请检查后重试！</source>
        <translation>This needs an image input device (such as a digital camera or a scanner). Your computer may have no such device, or it is not working. Please check and try again.</translation>
    </message>
</context>
<context>
    <name>Navigation</name>
    <message>
        <source>警告!</source>
        <translation>Warning!</translation>
    </message>
    <message>
        <source>必须先“关闭成绩”，方可进行其他操作！是否要当前关闭当前成绩？</source>
        <translation>The results must be closed (“Close results”) before you do anything else! Close the current results now?</translation>
    </message>
</context>
<context>
    <name>PageTexts</name>
    <message>
        <source>选择试卷：</source>
        <translation>Choosing an exam paper:</translation>
    </message>
    <message>
        <source>    请单击“选择试卷”框中的下拉列表，在列表中选择本次考试使用的试卷文件。如果您尚未建立相应的试卷文件，请利用本页面中的“编辑试卷”框建立新的试卷文件。 </source>
        <translation>    Click the drop-down list in the “Choose an exam paper” box and choose the exam paper file for this exam. If you have not made that paper file yet, make a new one in the “Edit the paper” box on this page.</translation>
    </message>
    <message>
        <source>建立新的试卷文件：</source>
        <translation>Making a new exam paper file:</translation>
    </message>
    <message>
        <source>    建立新的试题：用鼠标单击“下一题”按钮即可选择下一题为当前考题，如当前考题为最后一题，则自动新建试题。</source>
        <translation>    New questions: click the “Next question” button to make the next question the current one. If the current question is the last one, a new question is added.</translation>
    </message>
    <message>
        <source>    试题信息请在当前试题框内进行设置。 </source>
        <translation>    Set up each question in the “Current question” box.</translation>
    </message>
    <message>
        <source>    分值设置：为了快速输入，试题分值一般使用默认分值。通过在试卷参数框中修改默认分值可以同时改变本试卷内的所有使用默认分值的试题的分值。</source>
        <translation>    Scores: for quick entry, questions usually use the default score. Changing the default score in the “Paper settings” box changes the score of every question of this paper that uses the default score.</translation>
    </message>
    <message>
        <source>    答案设置：用鼠标在“当前试题”框中单击对应的答案选项即可设置当前试题的答案。</source>
        <translation>    Keys: click the right options in the “Current question” box to set the key of the current question.</translation>
    </message>
    <message>
        <source>    试卷参数设置：在“试卷参数”框中可更改默认分值，设置成绩等级的分数标准。该参数将用于阅卷后的成绩统计中。</source>
        <translation>    Paper settings: in the “Paper settings” box you can change the default score and set the scores of the grade bands. These settings are used in the results statistics after marking.</translation>
    </message>
    <message>
        <source>试卷文件管理：  </source>
        <translation>Managing exam paper files:</translation>
    </message>
    <message>
        <source>    1、保存试卷：在修改了原有的试卷信息后，单击“保存试卷”按钮即可保存为修改后的信息。</source>
        <translation>    1. Save paper: after changing a paper, click the “Save paper” button to save the changes.</translation>
    </message>
    <message>
        <source>    2、试卷另存为…… ：在新建试卷完成或修改了原有的试卷信息后，单击“试卷另存为…… ”按钮即可将当前试卷信息保存到新的文件中。</source>
        <translation>    2. Save paper as...: after making a new paper or changing a paper, click the “Save paper as...” button to save the current paper in a new file.</translation>
    </message>
    <message>
        <source>       注意：在系统弹出的“输入文件名”对话框中，文件名不能带路径和文件名后缀，否则将引起文件保存错误。</source>
        <translation>       Note: in the dialog that asks for the file name, do not type a folder or a file name extension, or the file cannot be saved.</translation>
    </message>
    <message>
        <source>    3、删除试卷：用于删除当前选中的试卷。</source>
        <translation>    3. Delete paper: deletes the chosen paper.</translation>
    </message>
    <message>
        <source>       注意：该操作不可恢复，请确认当前试卷已经不需要。</source>
        <translation>       Note: this cannot be undone. Make sure the paper is no longer needed.</translation>
    </message>
    <message>
        <source>选择名册：</source>
        <translation>Choosing a roster:</translation>
    </message>
    <message>
        <source>    请单击“选择名册”框中的下拉列表，在列表中选择本次考试使用的名册文件。如果您尚未建立相应的名册文件，请利用本页面中的“编辑名册”框建立新的名册文件。 </source>
        <translation>    Click the drop-down list in the “Choose a roster” box and choose the roster file for this exam. If you have not made that roster file yet, make a new one in the “Edit the roster” box on this page.</translation>
    </message>
    <message>
        <source>建立新的名册文件：</source>
        <translation>Making a new roster file:</translation>
    </message>
    <message>
        <source>    建立新的名册：用鼠标单击“下一考生”按钮即可选择下一考生为当前考生，如当前考生为最后一考生，则自动新建考生记录。</source>
        <translation>    New examinees: click the “Next examinee” button to make the next examinee the current one. If the current examinee is the last one, a new examinee is added.</translation>
    </message>
    <message>
        <source>    考生信息请在当前考生框内进行设置。 </source>
        <translation>    Enter each examinee in the “Current examinee” box.</translation>
    </message>
    <message>
        <source>    考号设置：为了快速输入，考号一般使用“默认自动添加考号”。考号要求由四位数字组成，如：0201 。</source>
        <translation>    Examinee numbers: for quick entry, numbers are usually added automatically (“Add numbers automatically”). An examinee number has four digits, for example 0201.</translation>
    </message>
    <message>
        <source>    考生姓名设置：考生姓名允许使用10个字符或5个以下的汉字，但不能包含标点符号。</source>
        <translation>    Names: a name may have up to 10 characters (or up to 5 Chinese characters), without punctuation.</translation>
    </message>
    <message>
        <source>名册文件管理：  </source>
        <translation>Managing roster files:</translation>
    </message>
    <message>
        <source>    1、保存名册：在修改了原有的名册信息后，单击“保存名册”按钮即可保存为修改后的信息。</source>
        <translation>    1. Save roster: after changing a roster, click the “Save roster” button to save the changes.</translation>
    </message>
    <message>
        <source>    2、名册另存为…… ：在新建名册完成或修改了原有的名册信息后，单击“名册另存为…… ”按钮即可将当前名册信息保存到新的文件中。</source>
        <translation>    2. Save roster as...: after making a new roster or changing a roster, click the “Save roster as...” button to save the current roster in a new file.</translation>
    </message>
    <message>
        <source>    3、删除名册：用于删除当前选中的名册。</source>
        <translation>    3. Delete roster: deletes the chosen roster.</translation>
    </message>
    <message>
        <source>       注意：该操作不可恢复，请确认当前名册已经不需要。</source>
        <translation>       Note: this cannot be undone. Make sure the roster is no longer needed.</translation>
    </message>
</context>
<context>
    <name>PaperEditor</name>
    <message>
        <source>当前试题:第 %1 题</source>
        <translation>Current question: %1</translation>
    </message>
    <message>
        <source>试卷没有保存！%1</source>
        <translation>The exam paper was not saved! %1</translation>
    </message>
    <message>
        <source>  题号   答案    分值    </source>
        <translation>  No.    Key     Score   </translation>
    </message>
    <message>
        <source>请先选择要修改的试题!</source>
        <translation>Please select the question to change first!</translation>
    </message>
    <message>
        <source>请先选定要设定的试题!</source>
        <translation>Please select the question to set first!</translation>
    </message>
    <message>
        <source>请先选定要删除的试题!</source>
        <translation>Please select the question to delete first!</translation>
    </message>
    <message>
        <source>对不起!本阅卷系统限制试题不能超过200题。</source>
        <translation>Sorry! A paper cannot have more than 200 questions.</translation>
    </message>
    <message>
        <source>当前试卷信息已保存!</source>
        <translation>The exam paper has been saved!</translation>
    </message>
    <message>
        <source>请先选择要删除的试卷文件!</source>
        <translation>Please choose the paper file to delete first!</translation>
    </message>
    <message>
        <source>是否确定要删除当前试卷(删除后无法恢复)?</source>
        <translation>Delete the current paper? (This cannot be undone.)</translation>
    </message>
</context>
<context>
    <name>PaperPage</name>
    <message>
        <source>1、选择试卷</source>
        <translation>1. Choose an exam paper</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>编辑试卷</source>
        <translation>Edit the paper</translation>
    </message>
    <message>
        <source>使用默认分值</source>
        <translation>Use default score</translation>
    </message>
    <message>
        <source>本题分值</source>
        <translation>Question score</translation>
    </message>
    <message>
        <source>下一题</source>
        <translation>Next question</translation>
    </message>
    <message>
        <source>插入试题</source>
        <translation>Insert question</translation>
    </message>
    <message>
        <source>删除试题</source>
        <translation>Delete question</translation>
    </message>
    <message>
        <source>试题上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>试题下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>保存试卷</source>
        <translation>Save paper</translation>
    </message>
    <message>
        <source>试卷另存为……</source>
        <translation>Save paper as...</translation>
    </message>
    <message>
        <source>删除试卷</source>
        <translation>Delete paper</translation>
    </message>
    <message>
        <source>试卷参数</source>
        <translation>Paper settings</translation>
    </message>
    <message>
        <source>默认分值</source>
        <translation>Default score</translation>
    </message>
    <message>
        <source>优秀</source>
        <translation>Excellent</translation>
    </message>
    <message>
        <source>良好</source>
        <translation>Good</translation>
    </message>
    <message>
        <source>中等</source>
        <translation>Fair</translation>
    </message>
    <message>
        <source>及格</source>
        <translation>Pass</translation>
    </message>
</context>
<context>
    <name>Password</name>
    <message>
        <source>无法保存密码：计算密码摘要时内存不足。</source>
        <translation>Cannot save the password: not enough memory to compute its hash.</translation>
    </message>
    <message>
        <source>密码没有保存！%1</source>
        <translation>The password was not saved! %1</translation>
    </message>
    <message>
        <source>标准化考试系统</source>
        <translation>Quillmark login</translation>
    </message>
    <message>
        <source>您输入的密码有误,请重新输入！</source>
        <translation>The password is wrong. Please try again!</translation>
    </message>
    <message>
        <source>您输入的旧密码有误,请重新输入！</source>
        <translation>The old password is wrong. Please try again!</translation>
    </message>
    <message>
        <source>您两次输入的新密码不同,请重新输入！</source>
        <translation>The two new passwords differ. Please type them again!</translation>
    </message>
    <message>
        <source>存储的管理员密码无效：sys/sys.cho 中[管理员]一节的 pwd 不是本程序写入的密码摘要，无法核对，不能登录。请删除 pwd 的值（登录即不再需要密码），再重新设置密码。</source>
        <translation>The stored administrator password is not valid: pwd in the [管理员] section of sys/sys.cho is not a password hash this program wrote, so it cannot be checked and nobody can log in. Delete the value of pwd (logging in then needs no password), then set the password again.</translation>
    </message>
</context>
<context>
    <name>PhoneHttp</name>
    <message>
        <source>无法在 %1:%2 上提供手机页面：%3</source>
        <translation>Cannot serve the phone page on %1:%2: %3</translation>
    </message>
</context>
<context>
    <name>PhonePanel</name>
    <message>
        <source>手机拍照阅卷</source>
        <translation>Mark phone photos</translation>
    </message>
    <message>
        <source>1. 手机与电脑连接同一个无线网络。</source>
        <translation>1. Connect the phone and the computer to the same wireless network.</translation>
    </message>
    <message>
        <source>2. 用手机相机扫描下面的二维码，打开阅卷页面（无需安装应用）。</source>
        <translation>2. Scan the QR code below with the phone&apos;s camera to open the marking page (no app to install).</translation>
    </message>
    <message>
        <source>3. 点“拍照”，把整张答题卡拍进画面；每张拍完即可看到成绩。</source>
        <translation>3. Tap the camera button and fit the whole answer sheet in the picture; each score shows as soon as the photo is taken.</translation>
    </message>
    <message>
        <source>关闭本窗口即结束手机阅卷，此地址随即失效。</source>
        <translation>Closing this window ends phone marking, and this address stops working.</translation>
    </message>
    <message>
        <source>结束手机阅卷</source>
        <translation>End phone marking</translation>
    </message>
</context>
<context>
    <name>PrintedSheet</name>
    <message>
        <source>答 题 卡</source>
        <translation>Answer Sheet</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>班级</source>
        <translation>Class</translation>
    </message>
    <message>
        <source>考场</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>考号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>注意事项</source>
        <translation>Instructions</translation>
    </message>
    <message>
        <source>1. 请用2B铅笔填涂，把所选选项的圆圈涂满、涂黑。</source>
        <translation>1. Use a 2B pencil. Fill the circle of your choice completely and darkly.</translation>
    </message>
    <message>
        <source>2. 修改时用橡皮擦干净，不要留下痕迹。</source>
        <translation>2. To change an answer, erase it cleanly, leaving no trace.</translation>
    </message>
    <message>
        <source>3. 先在方框内写好考号，再涂考号下面对应的数字。</source>
        <translation>3. Write your examinee number in the boxes, then fill its digits below.</translation>
    </message>
    <message>
        <source>4. 保持答题卡整洁，不要折叠、弄破或弄脏。</source>
        <translation>4. Keep the sheet clean. Do not fold, tear or soil it.</translation>
    </message>
    <message>
        <source>5. 一题的全部选项都涂黑时，该题按未作答处理。</source>
        <translation>5. A question with all of its options filled counts as unanswered.</translation>
    </message>
    <message>
        <source>Quillmark 答题卡</source>
        <translation>Quillmark answer sheets</translation>
    </message>
</context>
<context>
    <name>ResultSet</name>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>超过%1 MB</source>
        <translation>larger than %1 MB</translation>
    </message>
    <message>
        <source>阅卷核对文件“%1”没有读取：%2</source>
        <translation>The marking review file &quot;%1&quot; was not read: %2</translation>
    </message>
    <message>
        <source>无法保存文件“%1”：%2</source>
        <translation>Cannot save file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>成绩“%1”的上次保存没有完成，不能打开</source>
        <translation>The last save of results &quot;%1&quot; did not finish; they cannot be opened</translation>
    </message>
    <message>
        <source>成绩“%1”的上次保存没有完成，不能打开：%2</source>
        <translation>The last save of results &quot;%1&quot; did not finish; they cannot be opened: %2</translation>
    </message>
    <message>
        <source>成绩“%1”不完整，不能打开：无法读取文件“%2”。</source>
        <translation>Results &quot;%1&quot; are incomplete and cannot be opened: cannot read file &quot;%2&quot;.</translation>
    </message>
    <message>
        <source>成绩“%1”不完整，不能打开：缺少文件“%2”。</source>
        <translation>Results &quot;%1&quot; are incomplete and cannot be opened: file &quot;%2&quot; is missing.</translation>
    </message>
    <message>
        <source>成绩“%1”的试卷文件“%2”是空的或已损坏，不能打开。</source>
        <translation>The exam paper file &quot;%2&quot; of results &quot;%1&quot; is empty or damaged; the results cannot be opened.</translation>
    </message>
    <message>
        <source>成绩“%1”的答案文件“%2”是空的，不能打开。</source>
        <translation>The answer file &quot;%2&quot; of results &quot;%1&quot; is empty; the results cannot be opened.</translation>
    </message>
    <message>
        <source>成绩“%1”已存在，也找不到可用的新名称，未保存</source>
        <translation>Results &quot;%1&quot; already exist and no free new name was found; nothing was saved</translation>
    </message>
    <message>
        <source>%1。为免丢失其中的记录，成绩“%2”没有修改。</source>
        <translation>%1. To avoid losing its records, results &quot;%2&quot; were not changed.</translation>
    </message>
    <message>
        <source>无法删除文件“%1”：%2。</source>
        <translation>Cannot delete file &quot;%1&quot;: %2.</translation>
    </message>
</context>
<context>
    <name>ResultsLists</name>
    <message>
        <source>题号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>答案</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>分值</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>得分率%</source>
        <translation>Right%</translation>
    </message>
    <message>
        <source>考号</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>成绩</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>名次</source>
        <translation>Rank</translation>
    </message>
</context>
<context>
    <name>ResultsSets</name>
    <message>
        <source>当前成绩信息已保存!</source>
        <translation>The results have been saved!</translation>
    </message>
    <message>
        <source>%1
“%2”已被占用，已另存为“%3”。</source>
        <translation>%1
“%2” was taken, so they were saved as “%3”.</translation>
    </message>
    <message>
        <source>您是否真的要删除成绩文件: %1</source>
        <translation>Do you really want to delete the results file %1?</translation>
    </message>
    <message>
        <source>警告!</source>
        <translation>Warning!</translation>
    </message>
    <message>
        <source>请选择要打开的成绩文件</source>
        <translation>Choose the results to open</translation>
    </message>
    <message>
        <source>关闭成绩</source>
        <translation>Close results</translation>
    </message>
    <message>
        <source>打开成绩</source>
        <translation>Open results</translation>
    </message>
</context>
<context>
    <name>ResultsView</name>
    <message>
        <source>单击按此列排序（再单击一次反向）</source>
        <translation>Click to sort by this column (click again to reverse)</translation>
    </message>
    <message>
        <source>答案与标准答案完全相同的考生所占百分比（“项目分析”中的难度p按计分规则：所选为标准答案中连续的一部分即得分）。</source>
        <translation>Percentage of examinees whose answer is exactly the key (difficulty p under “Item analysis” follows the scoring rule: an answer that is an unbroken part of the key scores).</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文件名：</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>文件类型：</source>
        <translation>File type:</translation>
    </message>
    <message>
        <source>保存在：</source>
        <translation>Save in:</translation>
    </message>
    <message>
        <source>打开成绩</source>
        <translation>Open results</translation>
    </message>
    <message>
        <source>删除成绩</source>
        <translation>Delete results</translation>
    </message>
    <message>
        <source>保存成绩</source>
        <translation>Save results</translation>
    </message>
    <message>
        <source>输出到EXCEL</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>将成绩和统计分析结果送到EXCLE中</source>
        <translation>Send the results and their statistics to an Excel workbook</translation>
    </message>
    <message>
        <source>帮助(HELP)</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>如何查看成绩</source>
        <translation>How to view the results</translation>
    </message>
    <message>
        <source>核对存疑</source>
        <translation>Check doubts</translation>
    </message>
    <message>
        <source>逐一核对阅卷时读数不确定的题目和考号</source>
        <translation>Check, one by one, the questions and examinee numbers marking read with doubt</translation>
    </message>
    <message>
        <source>查看答题卡</source>
        <translation>View sheet</translation>
    </message>
    <message>
        <source>显示所选考生的答题卡及评分（也可双击考生）</source>
        <translation>Show the chosen examinee&apos;s answer sheet and its marking (or double-click the examinee)</translation>
    </message>
    <message>
        <source>考生答案：</source>
        <translation>Answers:</translation>
    </message>
    <message>
        <source>统计：</source>
        <translation>Statistics:</translation>
    </message>
    <message>
        <source>成绩与统计</source>
        <translation>Results and statistics</translation>
    </message>
    <message>
        <source>项目分析</source>
        <translation>Item analysis</translation>
    </message>
    <message>
        <source>导出成绩文件</source>
        <translation>Export grades</translation>
    </message>
    <message>
        <source>将成绩导出为 CSV 文件，或 Moodle、Canvas 可导入的成绩文件</source>
        <translation>Export the scores as a CSV file, or as a grade file Moodle or Canvas can import</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>导出 Moodle 成绩</source>
        <translation>Export Moodle grades</translation>
    </message>
    <message>
        <source>导出 Canvas 成绩</source>
        <translation>Export Canvas grades</translation>
    </message>
    <message>
        <source>CSV 文件</source>
        <translation>CSV files</translation>
    </message>
    <message>
        <source>Excel 工作簿</source>
        <translation>Excel workbooks</translation>
    </message>
    <message>
        <source>正在输出成绩……</source>
        <translation>Exporting the results...</translation>
    </message>
</context>
<context>
    <name>ReviewDialog</name>
    <message>
        <source>核对存疑</source>
        <translation>Check doubts</translation>
    </message>
    <message>
        <source>数字键：选中/取消选项（考号：输入考号）   回车：确认并到下一处   ↑↓：上一处/下一处   S：跳过   Esc：关闭</source>
        <translation>Digit keys: select/clear an option (number: type the number)   Enter: confirm and go to the next   ↑↓: previous/next   S: skip   Esc: close</translation>
    </message>
    <message>
        <source>没有需要核对的读数。</source>
        <translation>There are no readings to check.</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>ReviewDialogModel</name>
    <message>
        <source>（未答）</source>
        <translation>(no answer)</translation>
    </message>
    <message>
        <source>考号：%1（%2）</source>
        <translation>Number: %1 (%2)</translation>
    </message>
    <message>
        <source>考号：%1（名册中没有此考号）</source>
        <translation>Number: %1 (not in the roster)</translation>
    </message>
    <message>
        <source>%1  考号（读为“%2”）</source>
        <translation>%1  number (read as “%2”)</translation>
    </message>
    <message>
        <source>%1  第%2题  读为 %3</source>
        <translation>%1  question %2  read as %3</translation>
    </message>
    <message>
        <source>答案：%1</source>
        <translation>Answer: %1</translation>
    </message>
</context>
<context>
    <name>ReviewLog</name>
    <message>
        <source>记录无法读取</source>
        <translation>the record cannot be read</translation>
    </message>
    <message>
        <source>不是阅卷核对文件（第1行应为“%1”）</source>
        <translation>not a marking review file (line 1 should be &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>阅卷核对文件第%1行无法读取：记录超过256 KB</source>
        <translation>line %1 of the marking review file cannot be read: the record is over 256 KB</translation>
    </message>
    <message>
        <source>阅卷核对文件第%1行无法读取：不是完整的记录</source>
        <translation>line %1 of the marking review file cannot be read: it is not a complete record</translation>
    </message>
    <message>
        <source>阅卷核对文件是空的</source>
        <translation>the marking review file is empty</translation>
    </message>
</context>
<context>
    <name>ReviewQueue</name>
    <message>
        <source>没有考号为“%1”的阅卷记录</source>
        <translation>No marking record for examinee number “%1”</translation>
    </message>
    <message>
        <source>名册中没有考号“%1”</source>
        <translation>Examinee number “%1” is not in the roster</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>考号填涂存疑</source>
        <translation>Examinee number marks are doubtful</translation>
    </message>
    <message>
        <source>填涂接近判定界限</source>
        <translation>Marks close to the threshold</translation>
    </message>
    <message>
        <source>没有第%1题</source>
        <translation>There is no question %1</translation>
    </message>
    <message>
        <source>答案“%1”无效：应为从小到大、不重复的选项数字1–5</source>
        <translation>Answer “%1” is not valid: use option digits 1–5, in ascending order, each once</translation>
    </message>
    <message>
        <source>考生考号要求由4位数字组成,请重新输入!</source>
        <translation>An examinee number must have 4 digits. Please type it again!</translation>
    </message>
    <message>
        <source>考号“%1”已有成绩，不能把这张答题卡记在该考号下</source>
        <translation>Examinee number “%1” already has results; this answer sheet cannot be recorded under it</translation>
    </message>
    <message>
        <source>名册已满，无法添加考生</source>
        <translation>The roster is full; no examinee can be added</translation>
    </message>
</context>
<context>
    <name>Roster</name>
    <message>
        <source>名册文件“%1”的行数超过了名册最多 %2 名考生的限制，不能打开。</source>
        <translation>Roster file &quot;%1&quot; has more lines than a roster&apos;s limit of %2 examinees and cannot be opened.</translation>
    </message>
    <message>
        <source>名册第%1行（考号“%2”）含有逗号或换行符，这样的名册无法正确保存。</source>
        <translation>Roster row %1 (examinee number &quot;%2&quot;) contains a comma or a line break; such a roster cannot be saved correctly.</translation>
    </message>
    <message>
        <source>无法保存文件“%1”：%2</source>
        <translation>Cannot save file &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>RosterEditor</name>
    <message>
        <source>名册没有保存！%1</source>
        <translation>The roster was not saved! %1</translation>
    </message>
    <message>
        <source>序号  考号    姓名</source>
        <translation>Row    No.    Name</translation>
    </message>
    <message>
        <source>请先选择要修改的考生记录!</source>
        <translation>Please select the examinee to change first!</translation>
    </message>
    <message>
        <source>请先选定要删除的考生记录!</source>
        <translation>Please select the examinee to delete first!</translation>
    </message>
    <message>
        <source>考生考号要求由4位数字组成,请重新输入!</source>
        <translation>An examinee number must have 4 digits. Please type it again!</translation>
    </message>
    <message>
        <source>当前名册信息已保存!</source>
        <translation>The roster has been saved!</translation>
    </message>
    <message>
        <source>请先选择要删除的名册文件!</source>
        <translation>Please choose the roster file to delete first!</translation>
    </message>
    <message>
        <source>是否确定要删除当前名册(删除后无法恢复)?</source>
        <translation>Delete the current roster? (This cannot be undone.)</translation>
    </message>
    <message>
        <source>名册已满，无法添加考生</source>
        <translation>The roster is full; no examinee can be added</translation>
    </message>
</context>
<context>
    <name>RosterImport</name>
    <message>
        <source>“%1”（%2）</source>
        <translation> “%1” (%2)</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Row %1: %2</translation>
    </message>
    <message>
        <source>找不到考号列，请指定考号所在的列</source>
        <translation>No examinee number column found; please choose the column that holds the numbers</translation>
    </message>
    <message>
        <source>缺少考号</source>
        <translation>Examinee number missing</translation>
    </message>
    <message>
        <source>考号“%1”不足4位，可补零为“%2”</source>
        <translation>Examinee number “%1” has fewer than 4 digits; it can be padded with zeros to “%2”</translation>
    </message>
    <message>
        <source>考号“%1”不是4位数字</source>
        <translation>Examinee number “%1” is not 4 digits</translation>
    </message>
    <message>
        <source>姓名“%1”含有逗号，会破坏名册文件（可去掉逗号）</source>
        <translation>Name “%1” contains a comma, which would break the roster file (the comma can be removed)</translation>
    </message>
    <message>
        <source>姓名“%1”含有换行符，会破坏名册文件（可去掉换行符）</source>
        <translation>Name “%1” contains a line break, which would break the roster file (the line break can be removed)</translation>
    </message>
    <message>
        <source>姓名“%1”含有名册文件（GBK）无法保存的字符%2</source>
        <translation>Name “%1” has characters the roster file (GBK) cannot hold:%2</translation>
    </message>
    <message>
        <source>姓名“%1”超过%2个字节，截短后为“%3”</source>
        <translation>Name “%1” is longer than %2 bytes; cut short it is “%3”</translation>
    </message>
    <message>
        <source>考号“%1”与第 %2 行重复</source>
        <translation>Examinee number “%1” repeats row %2</translation>
    </message>
    <message>
        <source>名册最多 %1 名考生，从此行起的 %2 名考生超出</source>
        <translation>A roster holds at most %1 examinees; the %2 examinees from this row on are too many</translation>
    </message>
    <message>
        <source>没有可导入的考生</source>
        <translation>No examinees to import</translation>
    </message>
</context>
<context>
    <name>RosterImportDialog</name>
    <message>
        <source>导入名册</source>
        <translation>Import roster</translation>
    </message>
    <message>
        <source>（无姓名）</source>
        <translation>(no names)</translation>
    </message>
    <message>
        <source>第 %1 列</source>
        <translation>Column %1</translation>
    </message>
    <message>
        <source>第 %1 列（%2）</source>
        <translation>Column %1 (%2)</translation>
    </message>
    <message>
        <source>考号不足 4 位时在前面补 0</source>
        <translation>Pad examinee numbers shorter than 4 digits with leading zeros</translation>
    </message>
    <message>
        <source>截短过长的姓名</source>
        <translation>Cut names that are too long</translation>
    </message>
    <message>
        <source>去掉姓名中的逗号</source>
        <translation>Remove commas from names</translation>
    </message>
    <message>
        <source>跳过仍有问题的行</source>
        <translation>Skip rows that still have problems</translation>
    </message>
    <message>
        <source>考号所在列：</source>
        <translation>Examinee number column:</translation>
    </message>
    <message>
        <source>姓名所在列：</source>
        <translation>Name column:</translation>
    </message>
    <message>
        <source>保存为名册：</source>
        <translation>Save as roster:</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>读取的文件：%1</source>
        <translation>File read: %1</translation>
    </message>
    <message>
        <source>问题（导入前须全部解决或跳过）：</source>
        <translation>Problems (all must be fixed or skipped before importing):</translation>
    </message>
    <message>
        <source>可导入考生 %1 名，待解决的问题 %2 个</source>
        <translation>Examinees to import: %1; problems left: %2</translation>
    </message>
    <message>
        <source>请填写名册的文件名（不含路径）。</source>
        <translation>Please enter a file name for the roster (without a folder).</translation>
    </message>
    <message>
        <source>名册“%1”已存在，要替换吗？</source>
        <translation>The roster “%1” already exists. Replace it?</translation>
    </message>
</context>
<context>
    <name>RosterPage</name>
    <message>
        <source>2、选择考生名册</source>
        <translation>2. Choose a roster</translation>
    </message>
    <message>
        <source>下一步</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>编辑名册</source>
        <translation>Edit the roster</translation>
    </message>
    <message>
        <source>当前考生</source>
        <translation>Current examinee</translation>
    </message>
    <message>
        <source>考生考号</source>
        <translation>Examinee number</translation>
    </message>
    <message>
        <source>考生姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>自动添加考号</source>
        <translation>Add numbers automatically</translation>
    </message>
    <message>
        <source>下一考生</source>
        <translation>Next examinee</translation>
    </message>
    <message>
        <source>插入考生</source>
        <translation>Insert examinee</translation>
    </message>
    <message>
        <source>删除考生</source>
        <translation>Delete examinee</translation>
    </message>
    <message>
        <source>考生上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>考生下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>保存名册</source>
        <translation>Save roster</translation>
    </message>
    <message>
        <source>名册另存为……</source>
        <translation>Save roster as...</translation>
    </message>
    <message>
        <source>删除名册</source>
        <translation>Delete roster</translation>
    </message>
    <message>
        <source>从表格导入名册……</source>
        <translation>Import roster from a table...</translation>
    </message>
    <message>
        <source>从 Excel 工作簿（.xlsx）或 CSV 文本读入考号和姓名</source>
        <translation>Read examinee numbers and names from an Excel workbook (.xlsx) or CSV text</translation>
    </message>
    <message>
        <source>选择名单文件</source>
        <translation>Choose a class list file</translation>
    </message>
    <message>
        <source>名单表格 (*.xlsx *.csv *.txt *.XLSX *.CSV *.TXT);;所有文件 (*)</source>
        <translation>Class lists (*.xlsx *.csv *.txt *.XLSX *.CSV *.TXT);;All files (*)</translation>
    </message>
    <message>
        <source>导入名册</source>
        <translation>Import roster</translation>
    </message>
</context>
<context>
    <name>SaveAsName</name>
    <message>
        <source>请输入新试卷的名称(注意不能带后缀):</source>
        <translation>Enter a name for the new exam paper (without an extension):</translation>
    </message>
    <message>
        <source>试卷另存为……</source>
        <translation>Save Exam Paper As…</translation>
    </message>
    <message>
        <source>存在同名的试卷文件,是否要覆盖原有的试卷文件?</source>
        <translation>An exam paper file with this name exists. Overwrite it?</translation>
    </message>
    <message>
        <source>请输入新名册的名称(注意不能带后缀):</source>
        <translation>Enter a name for the new roster (without an extension):</translation>
    </message>
    <message>
        <source>名册另存为……</source>
        <translation>Save Roster As…</translation>
    </message>
    <message>
        <source>存在同名的名册文件,是否要覆盖原有的名册文件?</source>
        <translation>A roster file with this name exists. Overwrite it?</translation>
    </message>
    <message>
        <source>请输入新的成绩文件的文件名(注意不能带后缀):</source>
        <translation>Enter a file name for the new results (without an extension):</translation>
    </message>
    <message>
        <source>成绩另存为……</source>
        <translation>Save Results As…</translation>
    </message>
    <message>
        <source>存在同名的成绩文件,是否要覆盖原有的成绩文件?</source>
        <translation>Results files with this name exist. Overwrite them?</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>您输入的文件名无效，取消保存操作！注意：文件名不能包含路径和后缀。</source>
        <translation>The file name you entered is not valid, so nothing was saved. Note: the name must not contain a folder or an extension.</translation>
    </message>
</context>
<context>
    <name>ScoreAnalysis</name>
    <message>
        <source>平均分</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>最高分</source>
        <translation>Highest</translation>
    </message>
    <message>
        <source>最低分</source>
        <translation>Lowest</translation>
    </message>
    <message>
        <source>参考人数</source>
        <translation>Participants</translation>
    </message>
    <message>
        <source>总得分</source>
        <translation>Total score</translation>
    </message>
    <message>
        <source>优秀人数</source>
        <translation>Excellent</translation>
    </message>
    <message>
        <source>良好人数</source>
        <translation>Good</translation>
    </message>
    <message>
        <source>中等人数</source>
        <translation>Fair</translation>
    </message>
    <message>
        <source>及格人数</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>及格总人数</source>
        <translation>Passed (total)</translation>
    </message>
    <message>
        <source>不及格人数</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>优秀率%</source>
        <translation>Excellent %</translation>
    </message>
    <message>
        <source>优良率%</source>
        <translation>Good or better %</translation>
    </message>
    <message>
        <source>及格率%</source>
        <translation>Passed %</translation>
    </message>
</context>
<context>
    <name>ScoreChart</name>
    <message>
        <source>100及以上</source>
        <translation>100+</translation>
    </message>
    <message>
        <source>成绩分布（人数）</source>
        <translation>Score distribution (examinees)</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>无法记录阅卷进度，程序意外退出时本次阅卷的结果可能丢失：%1</source>
        <translation>Cannot record the marking progress; if the program ends unexpectedly, the results of this marking may be lost: %1</translation>
    </message>
    <message>
        <source>找不到阅卷时的试卷文件“%1”</source>
        <translation>The exam paper file used for marking, “%1”, cannot be found</translation>
    </message>
    <message>
        <source>找不到阅卷时的名册文件“%1”</source>
        <translation>The roster file used for marking, “%1”, cannot be found</translation>
    </message>
    <message>
        <source>阅卷时的成绩“%1”无法打开：%2</source>
        <translation>The results used for marking, “%1”, cannot be opened: %2</translation>
    </message>
    <message>
        <source>%1；未恢复的记录保存在“%2”</source>
        <translation>%1; the records not recovered are kept in “%2”</translation>
    </message>
    <message>
        <source>本次阅卷的成绩尚未保存，是否先保存？</source>
        <translation>The results of this marking are not saved yet. Save them first?</translation>
    </message>
</context>
<context>
    <name>SetPasswordDialog</name>
    <message>
        <source>设置密码</source>
        <translation>Set Password</translation>
    </message>
    <message>
        <source>输入旧的密码</source>
        <translation>Type the old password</translation>
    </message>
    <message>
        <source>请输入旧密码：</source>
        <translation>Old password:</translation>
    </message>
    <message>
        <source>请输入新密码：</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>重新输新密码：</source>
        <translation>New password again:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>设为新的密码，退出</source>
        <translation>Set the new password and close</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>不改变原有密码，退出</source>
        <translation>Keep the old password and close</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>查看帮助 如何登录</source>
        <translation>Help: how to log in</translation>
    </message>
</context>
<context>
    <name>SheetAnnotation</name>
    <message>
        <source>%1（以下按保存的填涂分数绘制）</source>
        <translation>%1 (drawn below from the saved mark scores)</translation>
    </message>
    <message>
        <source>答题卡图像不可用</source>
        <translation>The answer sheet image is not available</translation>
    </message>
    <message>
        <source>找不到答题卡类型定义“%1”</source>
        <translation>The definition of sheet type &quot;%1&quot; was not found</translation>
    </message>
    <message>
        <source>考号%1的答题卡图像“%2”已不存在</source>
        <translation>The sheet image &quot;%2&quot; of examinee number %1 no longer exists</translation>
    </message>
    <message>
        <source>考号%1的答题卡图像已更改（“%2”已不是阅卷时的图像）</source>
        <translation>The sheet image of examinee number %1 has changed (&quot;%2&quot; is no longer the image that was marked)</translation>
    </message>
    <message>
        <source>无法生成PDF文件</source>
        <translation>Cannot create the PDF file</translation>
    </message>
</context>
<context>
    <name>SheetStatus</name>
    <message>
        <source>考号%1已有成绩</source>
        <translation>Examinee number %1 already has results</translation>
    </message>
    <message>
        <source>（与“%1”是同一图像）</source>
        <translation> (same image as &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>（与先前阅过的答题卡是同一图像）</source>
        <translation> (same image as a sheet marked earlier)</translation>
    </message>
    <message>
        <source>（先前的答题卡：%1）</source>
        <translation> (earlier sheet: %1)</translation>
    </message>
    <message>
        <source>，未记录</source>
        <translation>, not recorded</translation>
    </message>
    <message>
        <source>，保留了先前的成绩</source>
        <translation>, earlier results kept</translation>
    </message>
    <message>
        <source>%1（未指定类型）</source>
        <translation>%1 (no type chosen)</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>预计图像宽度与线比例设置错误</source>
        <translation>Wrong setting of the expected image width to line ratio</translation>
    </message>
    <message>
        <source>无法确定左边框</source>
        <translation>Left side of the frame not found</translation>
    </message>
    <message>
        <source>无法确定右边框</source>
        <translation>Right side of the frame not found</translation>
    </message>
    <message>
        <source>无法确定上边框</source>
        <translation>Top side of the frame not found</translation>
    </message>
    <message>
        <source>无法确定下边框</source>
        <translation>Bottom side of the frame not found</translation>
    </message>
    <message>
        <source>边框出错</source>
        <translation>Frame error</translation>
    </message>
    <message>
        <source>边框变形</source>
        <translation>Frame distorted</translation>
    </message>
    <message>
        <source>答题卡类型错误</source>
        <translation>Unknown sheet type</translation>
    </message>
    <message>
        <source>答题卡类型定义错误</source>
        <translation>Sheet type definition error</translation>
    </message>
    <message>
        <source>网格与答题卡不符</source>
        <translation>Grid does not match the sheet</translation>
    </message>
    <message>
        <source>答题卡超出图像范围</source>
        <translation>Sheet extends beyond the image</translation>
    </message>
    <message>
        <source>找不到校准点，无法核对定位</source>
        <translation>Calibration dots not found; position cannot be checked</translation>
    </message>
    <message>
        <source>答题卡与指定的答题卡类型不符</source>
        <translation>Sheet does not match the fixed sheet type</translation>
    </message>
    <message>
        <source>定位已按校准点校正</source>
        <translation>Position corrected by the calibration dots</translation>
    </message>
    <message>
        <source>未找到校准点，定位未经核对</source>
        <translation>Calibration dots not found; position not checked</translation>
    </message>
    <message>
        <source>类型码不清晰</source>
        <translation>Type code unclear</translation>
    </message>
    <message>
        <source>图像几乎只有黑白两色，浅色填涂可能丢失</source>
        <translation>Image is almost only black and white; light marks may be lost</translation>
    </message>
    <message>
        <source>考号不在名册内!</source>
        <translation>Examinee number not in the roster!</translation>
    </message>
    <message>
        <source>考号填涂不完整</source>
        <translation>Examinee number not completely filled in</translation>
    </message>
    <message>
        <source>名册已满，无法添加考生</source>
        <translation>The roster is full; no examinee can be added</translation>
    </message>
    <message>
        <source>考号无法识别</source>
        <translation>Examinee number not recognised</translation>
    </message>
    <message>
        <source>阅卷已停止，未阅</source>
        <translation>Marking stopped; not marked</translation>
    </message>
</context>
<context>
    <name>SheetTypes</name>
    <message>
        <source>40A型</source>
        <translation>Type 40A</translation>
    </message>
    <message>
        <source>40B型</source>
        <translation>Type 40B</translation>
    </message>
    <message>
        <source>40C型</source>
        <translation>Type 40C</translation>
    </message>
    <message>
        <source>40D型</source>
        <translation>Type 40D</translation>
    </message>
    <message>
        <source>60A型</source>
        <translation>Type 60A</translation>
    </message>
    <message>
        <source>60B型</source>
        <translation>Type 60B</translation>
    </message>
    <message>
        <source>60C型</source>
        <translation>Type 60C</translation>
    </message>
    <message>
        <source>60D型</source>
        <translation>Type 60D</translation>
    </message>
    <message>
        <source>80A型</source>
        <translation>Type 80A</translation>
    </message>
    <message>
        <source>80B型</source>
        <translation>Type 80B</translation>
    </message>
    <message>
        <source>80C型</source>
        <translation>Type 80C</translation>
    </message>
    <message>
        <source>80D型</source>
        <translation>Type 80D</translation>
    </message>
    <message>
        <source>100A型</source>
        <translation>Type 100A</translation>
    </message>
    <message>
        <source>100B型</source>
        <translation>Type 100B</translation>
    </message>
    <message>
        <source>100C型</source>
        <translation>Type 100C</translation>
    </message>
    <message>
        <source>100D型</source>
        <translation>Type 100D</translation>
    </message>
    <message>
        <source>120A型</source>
        <translation>Type 120A</translation>
    </message>
    <message>
        <source>120B型</source>
        <translation>Type 120B</translation>
    </message>
    <message>
        <source>120C型</source>
        <translation>Type 120C</translation>
    </message>
    <message>
        <source>120D型</source>
        <translation>Type 120D</translation>
    </message>
    <message>
        <source>用户自定义</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>用户自定义类型</source>
        <translation>Custom type</translation>
    </message>
</context>
<context>
    <name>SheetViewDialog</name>
    <message>
        <source>考号 %1 的答题卡</source>
        <translation>Answer sheet of examinee number %1</translation>
    </message>
    <message>
        <source>这名考生没有阅卷记录（成绩由旧版本保存，或未阅卷）。</source>
        <translation>This examinee has no marking record (the results were saved by an older version, or the sheet was not marked).</translation>
    </message>
    <message>
        <source>绿框：得分；红框：未得分（右侧为正确答案）；黄色虚框：存疑；紫色虚框：人工改动前读到的选项</source>
        <translation>Green box: scored; red box: not scored (the key is on the right); yellow dashed box: doubtful; purple dashed box: option read before a change by hand</translation>
    </message>
</context>
<context>
    <name>SplashWindow</name>
    <message>
        <source>For:Windows95/98/Me/2000/Xp/NT</source>
        <translation>For: Windows 95/98/Me/2000/XP/NT</translation>
    </message>
</context>
<context>
    <name>SpreadsheetExport</name>
    <message>
        <source>成绩表“%1”已存在，是否替换？</source>
        <translation>The results workbook “%1” already exists. Replace it?</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>成绩未能导出。%1</source>
        <translation>The results could not be exported. %1</translation>
    </message>
    <message>
        <source>成绩表已保存在“%1”，但没有找到能打开 .xlsx 文件的程序，请手动打开该文件。</source>
        <translation>The results workbook was saved as “%1”, but no program to open .xlsx files was found. Please open the file yourself.</translation>
    </message>
    <message>
        <source>当前考试成绩已经成功输到EXCEL文档中!</source>
        <translation>The results of this exam have been exported to an Excel workbook!</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>文件或文件夹不存在</source>
        <translation>the file or folder does not exist</translation>
    </message>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>not enough disk space</translation>
    </message>
    <message>
        <source>超出磁盘配额</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>磁盘只能读取，不能写入</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>读写磁盘时出错</source>
        <translation>disk read or write error</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>同名的文件夹已存在</source>
        <translation>a folder with the same name exists</translation>
    </message>
    <message>
        <source>路径中有一项不是文件夹</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>文件已存在</source>
        <translation>the file already exists</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>文件正被使用</source>
        <translation>the file is in use</translation>
    </message>
    <message>
        <source>不能在不同的磁盘之间移动文件</source>
        <translation>files cannot be moved between different disks</translation>
    </message>
    <message>
        <source>名称无效</source>
        <translation>invalid name</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>系统错误（代码 %1）</source>
        <translation>system error (code %1)</translation>
    </message>
</context>
<context>
    <name>XlsxReader</name>
    <message>
        <source>缺少“%1”</source>
        <translation>part “%1” is missing</translation>
    </message>
    <message>
        <source>“%1”已损坏</source>
        <translation>part “%1” is damaged</translation>
    </message>
    <message>
        <source>工作簿有密码保护</source>
        <translation>the workbook is password-protected</translation>
    </message>
    <message>
        <source>“%1”已损坏（记录的大小不符）</source>
        <translation>part “%1” is damaged (its recorded size is wrong)</translation>
    </message>
    <message>
        <source>“%1”无法解压</source>
        <translation>part “%1” cannot be unpacked</translation>
    </message>
    <message>
        <source>“%1”已损坏，无法解压</source>
        <translation>part “%1” is damaged and cannot be unpacked</translation>
    </message>
    <message>
        <source>“%1”已损坏（校验不符）</source>
        <translation>part “%1” is damaged (checksum mismatch)</translation>
    </message>
    <message>
        <source>“%1”解压后超过 %2 MB</source>
        <translation>part “%1” unpacks to more than %2 MB</translation>
    </message>
    <message>
        <source>“%1”不是有效的 XML（%2）</source>
        <translation>part “%1” is not valid XML (%2)</translation>
    </message>
    <message>
        <source>“%1”使用了不支持的 UTF-16 编码</source>
        <translation>part “%1” uses UTF-16, which is not supported</translation>
    </message>
    <message>
        <source>“%1”不是有效的 XML</source>
        <translation>part “%1” is not valid XML</translation>
    </message>
    <message>
        <source>“%1”不完整</source>
        <translation>part “%1” is incomplete</translation>
    </message>
    <message>
        <source>工作表超过 %1 行</source>
        <translation>the sheet has more than %1 rows</translation>
    </message>
    <message>
        <source>工作表第 %1 行超过 %2 列</source>
        <translation>row %1 of the sheet has more than %2 columns</translation>
    </message>
    <message>
        <source>工作表超过 %1 个单元格</source>
        <translation>the sheet has more than %1 cells</translation>
    </message>
    <message>
        <source>“%1”的单元格引用了不存在的共享文本</source>
        <translation>a cell of “%1” refers to shared text that does not exist</translation>
    </message>
    <message>
        <source>不是 Excel 工作簿（.xlsx）：缺少“%1”</source>
        <translation>not an Excel workbook (.xlsx): “%1” is missing</translation>
    </message>
    <message>
        <source>工作簿中找不到工作表</source>
        <translation>the workbook has no worksheet</translation>
    </message>
    <message>
        <source>文件太大（超过 %1 MB）</source>
        <translation>the file is too large (over %1 MB)</translation>
    </message>
    <message>
        <source>不是 Excel 工作簿（.xlsx），或文件已损坏</source>
        <translation>not an Excel workbook (.xlsx), or the file is damaged</translation>
    </message>
    <message>
        <source>无法读取文件“%1”：%2</source>
        <translation>Cannot read the file “%1”: %2</translation>
    </message>
    <message>
        <source>这是旧版 Excel（.xls）文件或有密码保护的工作簿，请在 Excel 中另存为 .xlsx 或 CSV 文件后再导入</source>
        <translation>This is an old Excel (.xls) file or a password-protected workbook: save it as .xlsx or CSV in Excel, then import that</translation>
    </message>
    <message>
        <source>Excel 工作簿，工作表“%1”</source>
        <translation>Excel workbook, sheet “%1”</translation>
    </message>
    <message>
        <source>CSV 文本，%1，%2分隔</source>
        <translation>CSV text, %1, %2-separated</translation>
    </message>
</context>
<context>
    <name>XlsxWriter</name>
    <message>
        <source>无法保存文件“%1”：%2。</source>
        <translation>Cannot save the file “%1”: %2.</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>无法创建文件</source>
        <translation>the file cannot be created</translation>
    </message>
    <message>
        <source>无法创建临时文件</source>
        <translation>a temporary file cannot be created</translation>
    </message>
    <message>
        <source>无法读取临时文件</source>
        <translation>a temporary file cannot be read</translation>
    </message>
    <message>
        <source>写入工作簿文件时出错</source>
        <translation>writing the workbook file failed</translation>
    </message>
    <message>
        <source>工作表名超过31个字符</source>
        <translation>a sheet name is longer than 31 characters</translation>
    </message>
    <message>
        <source>工作表名含有不能使用的字符</source>
        <translation>a sheet name holds a character that cannot be used</translation>
    </message>
    <message>
        <source>工作表名不能以单引号开头或结尾</source>
        <translation>a sheet name may not begin or end with an apostrophe</translation>
    </message>
    <message>
        <source>工作表名重复</source>
        <translation>two sheets have the same name</translation>
    </message>
    <message>
        <source>名称太长</source>
        <translation>a name is too long</translation>
    </message>
    <message>
        <source>单元格的文字超过32767个字符</source>
        <translation>a cell holds more than 32767 characters</translation>
    </message>
    <message>
        <source>行或列超出工作表的范围</source>
        <translation>a row or column is outside the sheet</translation>
    </message>
    <message>
        <source>工作簿出错（代码 %1）</source>
        <translation>workbook error (code %1)</translation>
    </message>
    <message>
        <source>工作表名“%1”不能使用：%2</source>
        <translation>the sheet name “%1” cannot be used: %2</translation>
    </message>
    <message>
        <source>无法添加工作表“%1”</source>
        <translation>the sheet “%1” cannot be added</translation>
    </message>
    <message>
        <source>工作表“%1”第%2行第%3列：%4</source>
        <translation>sheet “%1”, row %2, column %3: %4</translation>
    </message>
    <message>
        <source>无法插入图表：</source>
        <translation>the chart cannot be inserted: </translation>
    </message>
    <message>
        <source>无法创建工作簿</source>
        <translation>the workbook cannot be created</translation>
    </message>
    <message>
        <source>单元格位置无效</source>
        <translation>a cell position is invalid</translation>
    </message>
</context>
</TS>
