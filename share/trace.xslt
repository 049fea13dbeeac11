<?xml version="1.0" encoding="UTF-8"?>
<!-- Renders a Tevra method trace as an HTML page: one row per call with its time, thread,
     interface and method, arguments, status and message; failed calls stand out, and a box
     filters the rows by method. Installed as <IVI root>/Components/trace.xslt, the stylesheet a
     trace names. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8" indent="yes" doctype-system="about:legacy-compat"/>

  <xsl:template match="/TraceRecords">
    <html>
      <head>
        <meta charset="UTF-8"/>
        <title>Tevra trace</title>
        <style>
          body { font-family: sans-serif; font-size: 13px; margin: 1em; }
          table { border-collapse: collapse; width: 100%; }
          th, td { border-bottom: 1px solid #ddd; padding: 3px 6px; text-align: left;
                   vertical-align: top; }
          th { background: #f3f3f3; position: sticky; top: 0; }
          tr.failed td { background: #fde8e8; }
          tr.failed td.status { color: #a00; font-weight: bold; }
          td.args span { display: block; white-space: pre-wrap; }
          .dir { color: #777; }
        </style>
        <script>
          function filterRows(text) {
            var needle = text.toLowerCase();
            var rows = document.querySelectorAll("tbody tr");
            for (var i = 0; i &lt; rows.length; ++i) {
              var method = rows[i].getAttribute("data-method").toLowerCase();
              rows[i].style.display = method.indexOf(needle) &gt;= 0 ? "" : "none";
            }
          }
          // A page opened as trace.xml#Measure starts filtered by "Measure".
          document.addEventListener("DOMContentLoaded", function () {
            var text = decodeURIComponent(location.hash.substring(1));
            if (!text) return;
            document.getElementById("filter").value = text;
            filterRows(text);
          });
        </script>
      </head>
      <body>
        <h1>Tevra trace</h1>
        <p>
          <xsl:value-of select="count(Method)"/> calls,
          <xsl:value-of select="count(Method[contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))])"/> failed.
          Filter by method:
          <input id="filter" type="search" oninput="filterRows(this.value)"/>
        </p>
        <table>
          <thead>
            <tr><th>Time</th><th>Thread</th><th>Method</th><th>Arguments</th><th>Status</th>
                <th>Message</th><th>Seconds</th></tr>
          </thead>
          <tbody>
            <xsl:apply-templates select="Method"/>
          </tbody>
        </table>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="Method">
    <tr data-method="{@Interface}.{@Name}">
      <xsl:if test="contains('89ABCDEFabcdef', substring(HRESULT/@Value, 3, 1))">
        <xsl:attribute name="class">failed</xsl:attribute>
      </xsl:if>
      <td><xsl:value-of select="@StartTime"/></td>
      <td><xsl:value-of select="@Thread"/></td>
      <td class="method"><xsl:value-of select="@Interface"/>.<xsl:value-of select="@Name"/></td>
      <td class="args"><xsl:apply-templates select="Parameter"/></td>
      <td class="status"><xsl:value-of select="HRESULT/@Value"/></td>
      <td class="message"><xsl:value-of select="HRESULT/@Message"/></td>
      <td><xsl:value-of select="Execution/@ExecutionTime"/></td>
    </tr>
  </xsl:template>

  <xsl:template match="Parameter">
    <span>
      <span class="dir"><xsl:value-of select="@Direction"/></span>
      <xsl:text> </xsl:text>
      <xsl:value-of select="@Name"/> = <xsl:value-of select="@Value"/>
      <xsl:if test="*"> [<xsl:value-of select="count(*)"/> elements]</xsl:if>
    </span>
  </xsl:template>
</xsl:stylesheet>
